// Runs a test of the calling test program again in a child process that Wine
// tells it runs on another Windows version.
#pragma once

#include <string>
#include <vector>

// Runs one test of this program (a GoogleTest filter) in a child process that
// Wine tells it runs on another Windows version ("win95", "win98", "nt40",
// "winxp", ...). The child finds, in the environment variable envVar, the
// path of a file to write its findings to; their lines are returned. The
// child's exit code must be 0 (checked with EXPECT).
std::vector<std::string> RunChildOnWindows(const char* version, const char* test, const char* envVar);
