// What a comparison tells beside its lines, for those who make more of it than
// a list (a registry script, a page): the two reports in the order compared,
// each line with its kind and section, and the records of every registry entry
// that both reports hold whole.
#pragma once

#include "compare/ReportBlock.h"

#include <string>

// One report as the comparison read it.
struct ReportHeader {
    std::string path;
    BYTE flags[8]; // the report's ScanFlags
    WORD time[8];  // the scan time (UTC): year, month, day of week, day, hour, minute, second, ms
};

class CCompareObserver {
public:
    // The kind of a line of the comparison.
    enum LineKind {
        LINE_SECTION,  // a section's heading
        LINE_ENTRY,    // the entry whose differences follow
        LINE_CREATED,  // an item that only the newer report holds
        LINE_DELETED,  // an item that only the older report holds
        LINE_CHANGED,  // an item that both hold, with another size, attributes, time or value
        LINE_NOTE,     // anything else: no differences, not scanned, damage, the archive lists
    };
    // Sections, in the order they are compared.
    enum { SECTION_DIRECTORIES, SECTION_REGISTRY, SECTION_SETTINGS_FILES, SECTION_DOS_FILES, SECTION_COUNT };

    virtual ~CCompareObserver() {}

    // Both headers were read: the older report first.
    virtual void OnReports(const ReportHeader& older, const ReportHeader& newer) {}
    // A line as the output receives it; section is -1 before the first section.
    virtual void OnLine(LineKind kind, int section, const std::string& text) {}
    // A registry entry (a root key) that both reports hold, with its blocks read
    // whole, before its differences are listed. The blocks stay valid for the
    // call only.
    virtual void OnRegistryEntry(const std::string& root, const CReportBlock& older, const CReportBlock& newer) {}
    // An entry pair of a section that could not be compared (a damaged block,
    // or not enough memory): what is known of that section is not complete.
    virtual void OnEntryNotCompared(int section, const std::string& name) {}
};
