#include "compare/ReportBlock.h"

#include "base/JobState.h"

#include <cstring>

namespace {

// The smallest record: a type byte and an empty name.
const DWORD kMinRecord = 3;

DWORD GetU32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((DWORD)p[3] << 24); }

} // namespace

CReportBlock::CReportBlock() : m_nItems(0), m_nCount(0) {}

void CReportBlock::Release()
{
    std::vector<BYTE>().swap(m_data);
    std::vector<ReportItem>().swap(m_items);
    m_nItems = 0;
    m_nCount = 0;
}

CReportBlock::Status CReportBlock::Load(CReportSource& source, DWORD offset, DWORD length, DWORD count,
                                        const BYTE* flags, const volatile BYTE* pCancel)
{
    Release();
    m_nCount = count;
    if ((uint64_t)offset + length > source.Size())
        return BLOCK_OUTSIDE;
    m_data.resize(length);
    if (!source.Seek(offset) || !source.Read(m_data.data(), length)) {
        Release();
        m_nCount = count;
        return BLOCK_UNREADABLE;
    }
    return Split(flags, pCancel);
}

CReportBlock::Status CReportBlock::Assign(const BYTE* data, DWORD length, DWORD count,
                                          const BYTE* flags, const volatile BYTE* pCancel)
{
    Release();
    m_nCount = count;
    m_data.assign(data, data + length);
    return Split(flags, pCancel);
}

CReportBlock::Status CReportBlock::Split(const BYTE* flags, const volatile BYTE* pCancel)
{
    // A count larger than the block can hold is not believed for the allocation.
    DWORD room = (DWORD)(m_data.size() / kMinRecord);
    DWORD slots = m_nCount < room ? m_nCount : room;
    m_items.resize(slots);
    m_nItems = ParseBlock(m_items.data(), flags, m_data.data(), (DWORD)m_data.size(), slots, pCancel);
    return m_nItems == m_nCount ? BLOCK_OK : BLOCK_SHORT;
}

DWORD CReportBlock::ParseBlock(ReportItem* items, const BYTE* flags, const BYTE* block, DWORD length,
                               DWORD count, const volatile BYTE* pCancel)
{
    const BYTE* p = block;
    const BYTE* end = block + length;
    DWORD n = 0;
    for (; n < count; n++) {
        if (pCancel && *pCancel)
            break;
        if (end - p < (ptrdiff_t)kMinRecord)
            break;
        ReportItem& item = items[n];
        std::memset(&item, 0, sizeof item);
        item.bType = p[0];
        item.nNameLength = (WORD)(p[1] | (p[2] << 8));
        p += kMinRecord;
        if (end - p < (ptrdiff_t)item.nNameLength)
            break;
        item.pName = p;
        p += item.nNameLength;
        if (item.bType == REC_DIRECTORY || item.bType == REC_FILE) {
            size_t need = (flags[SF_SIZES] ? 8 : 0) + (flags[SF_ATTRIBUTES] ? 4 : 0) +
                          (flags[SF_CREATION_TIMES] ? 8 : 0);
            if ((size_t)(end - p) < need)
                break;
            if (flags[SF_SIZES]) {
                item.dwSizeHigh = GetU32(p);
                item.dwSizeLow = GetU32(p + 4);
                p += 8;
            }
            if (flags[SF_ATTRIBUTES]) {
                item.dwAttributes = GetU32(p);
                p += 4;
            }
            if (flags[SF_CREATION_TIMES]) {
                item.dwCreationHigh = GetU32(p);
                item.dwCreationLow = GetU32(p + 4);
                p += 8;
            }
        } else if (item.bType == REC_VALUE) {
            if (end - p < 8)
                break;
            item.dwValueType = GetU32(p);
            item.dwDataSize = GetU32(p + 4);
            p += 8;
            if ((DWORD)(end - p) < item.dwDataSize)
                break;
            item.pData = p;
            p += item.dwDataSize;
        }
    }
    return n;
}
