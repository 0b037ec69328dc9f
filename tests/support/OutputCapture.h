// Captures what the process writes to standard output and standard error (file
// descriptors 1 and 2) into two files, for the life of the object or until Stop.
#pragma once

#include <string>

class COutputCapture {
public:
    // outFile and errFile receive the two streams.
    COutputCapture(const std::string& outFile, const std::string& errFile);
    ~COutputCapture();
    // Gives the streams back; Out and Err then read what was written.
    void Stop();
    std::string Out() const;
    std::string Err() const;

private:
    std::string m_outFile, m_errFile;
    int m_savedOut, m_savedErr;
};
