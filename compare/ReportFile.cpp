#include "compare/ReportFile.h"

CReportFile::CReportFile() : m_hFile(INVALID_HANDLE_VALUE), m_nSize(0) {}

CReportFile::~CReportFile() { Close(); }

bool CReportFile::Open(const char* path)
{
    Close();
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && high == 0) {
        CloseHandle(h);
        return false;
    }
    m_hFile = h;
    m_nSize = ((uint64_t)high << 32) | low;
    return true;
}

void CReportFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_nSize = 0;
}

bool CReportFile::Seek(uint64_t position)
{
    if (m_hFile == INVALID_HANDLE_VALUE || position > 0x7FFFFFFFFFFFull)
        return false;
    LONG high = (LONG)(position >> 32);
    DWORD low = SetFilePointer(m_hFile, (LONG)(DWORD)position, &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && (DWORD)position != INVALID_SET_FILE_POINTER);
}

bool CReportFile::Read(void* buffer, DWORD count)
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return false;
    if (count == 0)
        return true;
    DWORD got = 0;
    return ReadFile(m_hFile, buffer, count, &got, nullptr) && got == count;
}
