// One record block of a report entry in memory, split into its records.
#pragma once

#include "compare/ReportSource.h"

#include <vector>

// Record types.
enum { REC_DIRECTORY = 1, REC_FILE = 2, REC_KEY = 3, REC_VALUE = 4, REC_LINE = 6 };

// One record of a block. Name and data point into the block buffer, which
// outlives the items.
struct ReportItem {
    const BYTE* pName;
    WORD nNameLength;
    BYTE bType;
    DWORD dwSizeHigh;
    DWORD dwSizeLow;
    DWORD dwCreationHigh;
    DWORD dwCreationLow;
    DWORD dwAttributes;
    const BYTE* pData;
    DWORD dwDataSize;
    DWORD dwValueType;
};

class CReportBlock {
public:
    enum Status { BLOCK_OK, BLOCK_OUTSIDE, BLOCK_UNREADABLE, BLOCK_SHORT };

    CReportBlock();

    // Reads the block of length bytes at offset and splits it into at most count
    // records, with the optional file fields that flags (a report's ScanFlags) name.
    Status Load(CReportSource& source, DWORD offset, DWORD length, DWORD count, const BYTE* flags,
                const volatile BYTE* pCancel);
    // Takes a block already in memory (copied).
    Status Assign(const BYTE* data, DWORD length, DWORD count, const BYTE* flags,
                  const volatile BYTE* pCancel);
    void Release();

    // Splits block into records: at most count of them, never reading past
    // length bytes. Returns the number of whole records found; fewer than count
    // means the block is damaged (a record runs past its end).
    static DWORD ParseBlock(ReportItem* items, const BYTE* flags, const BYTE* block, DWORD length,
                            DWORD count, const volatile BYTE* pCancel = nullptr);

    const ReportItem* Items() const { return m_items.data(); }
    DWORD ItemCount() const { return m_nItems; } // records parsed
    DWORD DeclaredCount() const { return m_nCount; }

private:
    Status Split(const BYTE* flags, const volatile BYTE* pCancel);

    std::vector<BYTE> m_data;
    std::vector<ReportItem> m_items;
    DWORD m_nItems;
    DWORD m_nCount;
};
