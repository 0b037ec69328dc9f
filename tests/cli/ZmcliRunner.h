// Runs whole zmcli command lines in process for the tests, with standard output
// and standard error caught in files of a scratch directory.
#pragma once

#include "cli/Zmcli.h"
#include "tests/support/TestFiles.h"

#include <string>
#include <vector>

struct Outcome {
    int code;
    std::string out; // line ends as "\n" on every build
    std::string err;
};

Outcome Zmcli(const CScratchDir& dir, std::vector<std::string> args);
