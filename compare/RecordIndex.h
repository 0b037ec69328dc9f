// Index of a block's records by type and name: for any record, the first record
// of the block with the same type and the same name bytes, in constant time.
#pragma once

#include "compare/ReportBlock.h"

#include <vector>

class CRecordIndex {
public:
    CRecordIndex();

    // Indexes count items; they must stay in place while the index is used.
    void Build(const ReportItem* items, DWORD count);
    void Release();
    bool IsBuilt() const { return m_pItems != nullptr; }

    // Index of the first item with the type and name of item, or -1.
    LONG FindFirst(const ReportItem& item) const;

private:
    struct Slot {
        DWORD dwHash;
        DWORD dwIndex; // item index + 1; 0 marks an empty slot
    };

    static DWORD Hash(const ReportItem& item);
    static bool SameKey(const ReportItem& a, const ReportItem& b);

    std::vector<Slot> m_slots;
    DWORD m_nMask;
    const ReportItem* m_pItems;
};
