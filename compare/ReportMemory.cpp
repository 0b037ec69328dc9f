#include "compare/ReportMemory.h"

#include <cstring>

CReportMemory::CReportMemory(const void* data, size_t size)
    : m_pData(static_cast<const BYTE*>(data)), m_nSize(size), m_nPosition(0)
{
}

bool CReportMemory::Seek(uint64_t position)
{
    m_nPosition = position;
    return true;
}

bool CReportMemory::Read(void* buffer, DWORD count)
{
    if (m_nPosition > m_nSize || m_nSize - m_nPosition < count)
        return false;
    if (count)
        std::memcpy(buffer, m_pData + m_nPosition, count);
    m_nPosition += count;
    return true;
}
