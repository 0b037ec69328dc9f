// Registry helpers for tests: a key's whole subtree removed, string values set
// and read.
#pragma once

#include "framework/Platform.h"

#include <string>

// Removes the key and everything below it; nothing when it does not exist.
void RemoveKeyTree(HKEY root, const std::string& path);

// Creates the key (and those above it) and, when name is given, sets that
// string value; false when the key cannot be created.
bool SetStringValue(HKEY root, const std::string& path, const char* name, const char* value);
// A string value's text, "<no key>" or "<no value>" when there is none.
std::string StringValue(HKEY root, const std::string& path, const char* name);
