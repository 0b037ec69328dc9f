// Where the comparison writes its result lines: the result list of the comparing
// wizard, the console, or a test's own record.
#pragma once

class CCompareOutput {
public:
    virtual ~CCompareOutput() {}
    // Appends one line (code page 1251 text, no line end).
    virtual void AddLine(const char* text) = 0;
    // Removes every line.
    virtual void ClearLines() = 0;
};
