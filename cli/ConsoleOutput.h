// The job output of zmcli: each line printed to standard output as the engine
// made it (code page 1251 bytes) with the chosen line end. Progress and the
// current item are not shown.
#pragma once

#include "base/JobOutput.h"

#include <cstdio>
#include <cstring>

class CConsoleOutput : public CJobOutput {
public:
    explicit CConsoleOutput(const char* lineEnd = "\n", bool flushEachLine = false)
        : m_pszLineEnd(lineEnd), m_bFlush(flushEachLine)
    {
    }

    void AddLine(const char* text, int = NO_IMAGE) override
    {
        std::fwrite(text, 1, std::strlen(text), stdout);
        std::fputs(m_pszLineEnd, stdout);
        if (m_bFlush)
            std::fflush(stdout);
    }

private:
    const char* m_pszLineEnd;
    bool m_bFlush;
};
