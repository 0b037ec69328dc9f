// Lists the records of an open archive, one line each: the record's offset, its
// type, its full path, then its counts or sizes and, where the archive stores them,
// attributes and times. Each section is walked with an explicit stack, so that no
// nesting of records can exhaust the call stack.
#pragma once

#include "restore/ArchiveReader.h"

#include <cstdio>
#include <string>

class CArchiveLister {
public:
    CArchiveLister(CArchiveReader& reader, const ArchiveHeader& header, FILE* out)
        : m_reader(reader), m_header(header), m_out(out)
    {
    }

    // Each lists a section of `count` top-level records from the reader's
    // position; false at damage.
    bool ListFiles(DWORD count);
    bool ListKeys(DWORD count);

private:
    struct DirFrame {
        unsigned long long left;
        size_t pathLength; // of the parent path before this directory's name
    };
    struct KeyFrame {
        DWORD values, subkeys;
        DWORD root;
        size_t pathLength;
    };

    std::string StampFields(const FileRecordHead& head) const;

    CArchiveReader& m_reader;
    const ArchiveHeader& m_header;
    FILE* m_out;
};
