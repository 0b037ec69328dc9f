// Captures what the process writes to standard output (through the C library)
// into a file for the life of the object.
#pragma once

#include <string>

class CStdoutCapture {
public:
    explicit CStdoutCapture(const std::string& file);
    ~CStdoutCapture();
    // Stops capturing (if still capturing) and returns what was written.
    std::string Text();

private:
    std::string m_file;
    int m_saved;
};
