// Registry helpers for tests: a key's whole subtree removed.
#pragma once

#include "framework/Platform.h"

#include <string>

// Removes the key and everything below it; nothing when it does not exist.
void RemoveKeyTree(HKEY root, const std::string& path);
