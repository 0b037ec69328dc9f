// Pairs the records of an older block with those of a newer one.
//
// The walk keeps an offset between the two sequences: while they run in step
// every older record meets its counterpart at once. A record that does not meet
// a record of its own type and name is looked up as the first record of the
// newer block with that type and name (already paired or not), and the offset
// moves there. The lookup goes through an index of the newer block, so a block
// out of step costs linear time; the literal search from the start of the newer
// block gives the same pairs and stays available as the reference.
#pragma once

#include "compare/RecordIndex.h"

// Marks of the items of either side.
enum : LONG {
    MARK_UNMATCHED = -2, // no counterpart found
    MARK_SAME = -1,      // counterpart found and identical
    // k >= 0: index of a counterpart of the same type and name that differs
};

// CompareItems results: 1 and 2 mean "not the same record", 3 a changed value,
// otherwise a mask of the file fields that differ.
enum : UINT {
    CMP_TYPE = 1,
    CMP_NAME = 2,
    CMP_VALUE = 3,
    CMP_SIZE = 4,
    CMP_ATTRIBUTES = 8,
    CMP_CREATION = 16,
};

class CBlockMatcher {
public:
    // flags1, flags2: ScanFlags of the older and the newer report.
    CBlockMatcher(const BYTE* flags1, const BYTE* flags2);

    UINT CompareItems(const ReportItem& a, const ReportItem& b) const;

    // Fills marks1[n1] and marks2[n2]. Stops early (marks then incomplete) when
    // *pCancel becomes nonzero.
    void Match(const ReportItem* items1, DWORD n1, const ReportItem* items2, DWORD n2, LONG* marks1,
               LONG* marks2, const volatile BYTE* pCancel = nullptr);

    bool m_bLiteralSearch; // search from the start of the newer block instead of the index
    DWORD m_nSearches;     // records that were out of step in the last Match

private:
    LONG SearchLiteral(const ReportItem& item, const ReportItem* items2, DWORD n2,
                       const volatile BYTE* pCancel) const;

    const BYTE* m_pFlags1;
    const BYTE* m_pFlags2;
    CRecordIndex m_index;
};
