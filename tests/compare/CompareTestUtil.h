// Running the comparison core on report images or files and collecting what it
// produced: the lines, the path and key lists, the two archive flags.
#pragma once

#include "compare/CompareCore.h"
#include "tests/compare/ReportWriter.h"

#include <string>
#include <vector>

class CLinesOutput : public CJobOutput {
public:
    void AddLine(const char* text, int) override;
    void ClearLines() override;
    std::vector<std::string> m_lines;
    int m_nClears = 0;
    // When set, *m_pCancel is set to 1 after this many lines.
    size_t m_nCancelAfter = 0;
    volatile BYTE* m_pCancel = nullptr;
};

struct CompareResult {
    int result;
    std::vector<std::string> lines;
    std::vector<std::string> paths;
    std::vector<std::string> keys;
    BYTE filesFlag;
    BYTE registryFlag;
    uint64_t searches;
    std::string Text() const; // lines joined by "\n", for failure messages
};

CompareResult RunCompare(const Bytes& older, const Bytes& newer, bool literal = false);
CompareResult RunCompareFiles(const std::string& path1, const std::string& path2,
                              bool literal = false);
// The lists of the job state as strings.
std::vector<std::string> PathListStrings();
std::vector<std::string> KeyListStrings();
// Heading lines of the four sections.
extern const char* const kHeadings[4];
extern const char kNotDone[];
extern const char kNoDifferences[];
// Runs zmcli compare with these arguments, its standard output sent to the
// file capture; output gets what it wrote. Returns the exit status.
int RunCompareCommand(std::vector<std::string> args, const std::string& capture, std::string* output);
