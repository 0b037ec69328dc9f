// The job output of zmcli: each line printed to standard output as the engine
// made it (code page 1251 bytes), or in this build's own text (UTF-8 on Linux)
// when asked for, with the chosen line end. Progress and the current item are not
// shown.
#pragma once

#include "base/Cp1251.h"
#include "base/JobOutput.h"

#include <cstdio>
#include <cstring>
#include <string>

class CConsoleOutput : public CJobOutput {
public:
    explicit CConsoleOutput(const char* lineEnd = "\n", bool flushEachLine = false)
        : m_pszLineEnd(lineEnd), m_bFlush(flushEachLine), m_bNative(false)
    {
    }

    // Lines converted from code page 1251 to the text of this build's console.
    void SetNativeText(bool native) { m_bNative = native; }

    void AddLine(const char* text, int = NO_IMAGE) override
    {
        if (m_bNative) {
            std::string line = NativeText(text);
            std::fwrite(line.data(), 1, line.size(), stdout);
        } else {
            std::fwrite(text, 1, std::strlen(text), stdout);
        }
        std::fputs(m_pszLineEnd, stdout);
        if (m_bFlush)
            std::fflush(stdout);
    }

private:
    const char* m_pszLineEnd;
    bool m_bFlush;
    bool m_bNative;
};
