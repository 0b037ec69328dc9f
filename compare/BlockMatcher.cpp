#include "compare/BlockMatcher.h"

#include "base/JobState.h"

#include <cstdint>
#include <cstring>

CBlockMatcher::CBlockMatcher(const BYTE* flags1, const BYTE* flags2)
    : m_bLiteralSearch(false), m_nSearches(0), m_pFlags1(flags1), m_pFlags2(flags2)
{
}

UINT CBlockMatcher::CompareItems(const ReportItem& a, const ReportItem& b) const
{
    if (a.bType != b.bType)
        return CMP_TYPE;
    if (a.nNameLength != b.nNameLength ||
        (a.nNameLength && std::memcmp(a.pName, b.pName, a.nNameLength) != 0))
        return CMP_NAME;
    if (a.bType == REC_VALUE) {
        // The value type is not compared: only the data.
        if (a.dwDataSize != b.dwDataSize ||
            (a.dwDataSize && std::memcmp(a.pData, b.pData, a.dwDataSize) != 0))
            return CMP_VALUE;
        return 0;
    }
    if (a.bType != REC_DIRECTORY && a.bType != REC_FILE)
        return 0;
    UINT mask = 0;
    if (a.bType == REC_FILE && m_pFlags1[SF_SIZES] && m_pFlags2[SF_SIZES] &&
        (a.dwSizeHigh != b.dwSizeHigh || a.dwSizeLow != b.dwSizeLow))
        mask |= CMP_SIZE;
    if (m_pFlags1[SF_ATTRIBUTES] && m_pFlags2[SF_ATTRIBUTES] && a.dwAttributes != b.dwAttributes)
        mask |= CMP_ATTRIBUTES;
    if (m_pFlags1[SF_CREATION_TIMES] && m_pFlags2[SF_CREATION_TIMES] &&
        (a.dwCreationHigh != b.dwCreationHigh || a.dwCreationLow != b.dwCreationLow))
        mask |= CMP_CREATION;
    return mask;
}

LONG CBlockMatcher::SearchLiteral(const ReportItem& item, const ReportItem* items2, DWORD n2,
                                  const volatile BYTE* pCancel) const
{
    for (DWORD j = 0; j < n2; j++) {
        if (pCancel && *pCancel)
            return -1;
        UINT r = CompareItems(item, items2[j]);
        if (r != CMP_TYPE && r != CMP_NAME)
            return (LONG)j;
    }
    return -1;
}

void CBlockMatcher::Match(const ReportItem* items1, DWORD n1, const ReportItem* items2, DWORD n2,
                          LONG* marks1, LONG* marks2, const volatile BYTE* pCancel)
{
    for (DWORD i = 0; i < n1; i++)
        marks1[i] = MARK_UNMATCHED;
    for (DWORD j = 0; j < n2; j++)
        marks2[j] = MARK_UNMATCHED;
    m_nSearches = 0;
    m_index.Release();
    if (n2 == 0)
        return;

    int64_t d = 0;
    for (DWORD i = 0; i < n1; i++) {
        if (pCancel && *pCancel)
            break;
        if ((int64_t)i + d >= (int64_t)n2)
            d = (int64_t)n2 - i - 1;
        DWORD g = (DWORD)((int64_t)i + d);
        UINT r = CompareItems(items1[i], items2[g]);
        if (r != CMP_TYPE && r != CMP_NAME) {
            marks1[i] = r == 0 ? MARK_SAME : (LONG)g;
            marks2[g] = r == 0 ? MARK_SAME : (LONG)i;
            continue;
        }
        m_nSearches++;
        LONG j;
        if (m_bLiteralSearch) {
            j = SearchLiteral(items1[i], items2, n2, pCancel);
        } else {
            if (!m_index.IsBuilt())
                m_index.Build(items2, n2);
            j = m_index.FindFirst(items1[i]);
        }
        if (j < 0)
            continue;
        r = CompareItems(items1[i], items2[j]);
        marks1[i] = r == 0 ? MARK_SAME : j;
        marks2[j] = r == 0 ? MARK_SAME : (LONG)i;
        d = (int64_t)j - i;
    }
    m_index.Release();
}
