// The comparison of two reports, free of any window: orders the reports by scan
// time, pairs the entries of each section by name, matches the records of each
// pair of blocks and writes one line per difference to its output, collecting the
// created and changed items into the path list and the key list of the job state.
// The comparing engine runs it on its worker thread with the result list as the
// output; zmcli runs it with the console.
#pragma once

#include "base/JobOutput.h"
#include "compare/BlockMatcher.h"
#include "compare/CompareObserver.h"
#include "compare/ReportBlock.h"
#include "compare/ReportSource.h"

#include <string>
#include <vector>

class CCompareCore {
public:
    enum Result {
        RESULT_COMPARED = 0,     // the comparison ran to its end
        RESULT_NOT_A_REPORT = 1, // a file could not be opened or is not a report
        RESULT_CANCELLED = 2,
    };
    enum { HEADER_SIZE = 32 };

    // pOutput and pCancel may be null: lines are then dropped, and the run cannot
    // be cancelled.
    CCompareCore(CJobOutput* pOutput, const volatile BYTE* pCancel);

    // Opens both report files and compares them.
    int Run(const char* path1, const char* path2);
    // Compares two reports already opened; a null source stands for a file that
    // could not be opened. The paths only name the reports in the lines.
    int Run(CReportSource* pReport1, const char* path1, CReportSource* pReport2, const char* path2);

    // "<", the names of the read-only, archive, system and hidden bits, ">".
    // buffer must hold ATTRIBUTE_TEXT characters.
    enum { ATTRIBUTE_TEXT = 16 };
    static const char* FormatAttributes(DWORD attributes, char* buffer);
    // Entry names pair when their lengths are equal and they are equal with the
    // Latin letters compared without regard to case, every other byte exactly.
    static bool SameEntryName(const BYTE* a, WORD na, const BYTE* b, WORD nb);
    // Compares an older record with a newer one under the flags of the two
    // reports of the last run (see CBlockMatcher).
    UINT CompareItems(const ReportItem& a, const ReportItem& b) const
    {
        return m_matcher.CompareItems(a, b);
    }

    // Observers hear of the run beside the output (see CCompareObserver); they
    // are not owned and must outlive the runs.
    void AddObserver(CCompareObserver* pObserver) { m_observers.push_back(pObserver); }

    bool m_bLiteralSearch; // match with the literal search instead of the index
    DWORD m_nLines;        // lines written by the last run
    uint64_t m_nSearches;  // out-of-step records of the last run

private:
    struct SectionEntry {
        std::string name;
        DWORD dwOffset;
        DWORD dwLength;
        DWORD dwCount;
    };

    bool ReadHeader(int side, BYTE* flags, WORD* time);
    void CompareSection(BYTE has1, BYTE has2, const char* title);
    void NotCompared(const std::string& name);
    bool ReadSectionTable(int side, std::vector<SectionEntry>& entries);
    void CompareEntries(const SectionEntry& e1, const SectionEntry& e2, const char* title);
    void ReportBlockDamage(int side, int status, const CReportBlock& block);
    void CompareBlocks(const std::string& prefix);
    void AddCreated(const ReportItem& item, const std::string& prefix);
    void AddDeleted(const ReportItem& item);
    void AddChanged(const ReportItem& older, const ReportItem& newer, const std::string& prefix);
    void SelectPath(const std::string& path);
    void SelectKey(const std::string& entry, BYTE key);

    bool Cancelled() const { return m_pCancel && *m_pCancel; }
    void AddLine(const std::string& line, CCompareObserver::LineKind kind = CCompareObserver::LINE_NOTE);

    BYTE m_flags1[8];
    BYTE m_flags2[8];
    CReportBlock m_block1;
    CReportBlock m_block2;
    CBlockMatcher m_matcher;
    CReportSource* m_pReport[2];
    std::string m_path[2];
    uint64_t m_nPosition[2]; // where the next section table of each report starts
    bool m_bBroken[2];       // a section table could not be read: the rest is lost
    DWORD m_dwRoot;          // root key code of the registry entry being compared
    CJobOutput* m_pOutput;
    const volatile BYTE* m_pCancel;
    std::vector<CCompareObserver*> m_observers;
    int m_nSection; // the section being compared, -1 before the first
};
