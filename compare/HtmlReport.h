// A comparison as one self-contained HTML page (UTF-8, no scripts, nothing
// loaded from elsewhere): the two reports with their scan times, a table of
// what was created, deleted and changed in each section, and every line of the
// comparison grouped by section, each difference marked by its colour. It
// watches a comparison (CCompareObserver) and is written afterwards.
#pragma once

#include "compare/CompareObserver.h"

#include <string>
#include <vector>

class CHtmlReport : public CCompareObserver {
public:
    CHtmlReport();

    // The whole page.
    std::string Page() const;

    // Counts of one kind of line in one section.
    unsigned Count(int section, LineKind kind) const;

    void OnReports(const ReportHeader& older, const ReportHeader& newer) override;
    void OnLine(LineKind kind, int section, const std::string& text) override;

    // Text made safe for HTML (&, <, >, ") and turned from code page 1251 into UTF-8.
    static std::string Escape(const std::string& cp1251);

private:
    struct Line {
        LineKind kind;
        int section;
        std::string text;
    };

    static std::string Time(const WORD* time);

    ReportHeader m_reports[2];
    bool m_bHeaders;
    std::vector<Line> m_lines;
};
