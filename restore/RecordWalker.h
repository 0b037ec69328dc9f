// Walks the records of an open archive in archive order, both sections, and hands
// each one to a visitor: the one reading of the layout that listing, verifying and
// extracting share. Each section is walked with an explicit stack, so that no
// nesting of records can exhaust the call stack, and only one path string is
// kept however deep the tree goes.
//
// The walk stops at the first place where the archive cannot be read on: a read
// that comes up short, a record of the wrong type, a name longer than the format
// allows, code that runs past the end of the file, or bytes after the last record
// of the last section. The visitor hears where (Damaged) and Walk returns false.
#pragma once

#include "restore/ArchiveReader.h"
#include "restore/RecordVisitor.h"

#include <string>
#include <vector>

class CRecordWalker {
public:
    // The reader stands just after the header.
    CRecordWalker(CArchiveReader& reader, const ArchiveHeader& header);

    // Walks the sections the header names to the end of the file; false (after
    // the visitor's Damaged) when the archive is damaged.
    bool Walk(CRecordVisitor& visitor);

    // During Record for a file or value: its code into the buffer. False when the
    // memory cannot be had; the code is then skipped as if unread.
    bool ReadCode(std::vector<BYTE>& code);

    // A record's place for messages: directories and files by their path, keys by
    // root name and path, values as KEY, value "NAME".
    std::string PlaceOf(const ArchiveRecord& record) const;
    // The full name of a key record's root ("HKEY_CURRENT_USER"; "root 0x12345678"
    // for a code that is no root) and a key's whole path with it
    // ("HKEY_CURRENT_USER\Software\X").
    std::string RootName(DWORD root) const;
    std::string KeyPath(DWORD root, const std::string& path) const;

    const ArchiveHeader& Header() const { return m_header; }
    CArchiveReader& Reader() { return m_reader; }
    // Records met so far.
    unsigned long long Records() const { return m_nRecords; }

private:
    struct DirFrame {
        unsigned long long left; // records still to come at this level
        size_t pathLength;       // of the path before this level's directory was added
        ArchiveRecord dir;       // the directory (name and path left empty); none at the top
    };
    struct KeyFrame {
        DWORD values, subkeys; // still to come
        DWORD root;
        size_t pathLength;
    };

    // The count of a section's top-level records, which starts it.
    bool ReadSectionCount(CRecordVisitor& visitor, DWORD& count, const char* section);
    bool WalkFiles(CRecordVisitor& visitor);
    bool WalkKeys(CRecordVisitor& visitor);
    // Hands a file or value record over, then moves past whatever of its code the
    // visitor left.
    bool VisitWithCode(CRecordVisitor& visitor, ArchiveRecord& record);
    bool Damage(CRecordVisitor& visitor, unsigned long long offset, const std::string& place,
                const std::string& what);
    // A record of another type than the place expects.
    bool TypeDamage(CRecordVisitor& visitor, unsigned long long offset, const std::string& place,
                    BYTE type, const char* expected);
    // The damage of a record head that could not be read.
    bool HeadDamage(CRecordVisitor& visitor, unsigned long long offset, const std::string& place,
                    WORD nameLength);

    CArchiveReader& m_reader;
    ArchiveHeader m_header;
    std::string m_path;
    unsigned long long m_nRecords;
    // The code of the record being visited: where it starts, how long it is, and
    // whether the visitor has read it.
    unsigned long long m_codeStart;
    DWORD m_codeSize;
    bool m_bCodeRead;
};
