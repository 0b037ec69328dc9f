// A report read from a file, opened for reading with others allowed to read.
#pragma once

#include "compare/ReportSource.h"

class CReportFile : public CReportSource {
public:
    CReportFile();
    ~CReportFile() override;

    // Opens an existing file; false when it cannot be opened or its size is unknown.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    uint64_t Size() const override { return m_nSize; }
    bool Seek(uint64_t position) override;
    bool Read(void* buffer, DWORD count) override;

private:
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    HANDLE m_hFile;
    uint64_t m_nSize;
};
