// What a walk over an archive's records hands out: each record with its fields
// and path, and the place where the archive is damaged (see CRecordWalker).
#pragma once

#include "framework/Platform.h"

#include <string>

// One record as the walk meets it.
struct ArchiveRecord {
    unsigned long long offset = 0; // of its type byte
    BYTE type = 0;                 // ARC_DIRECTORY, ARC_FILE, ARC_KEY or ARC_VALUE
    size_t depth = 0;              // 0 for a top-level record of its section
    std::string name;              // the stored name bytes, whatever they hold
    // Directories and files: the archive path, the names from the top record
    // down joined by backslashes ("C:\dir\x.txt"). Keys: the key path below the
    // root ("Software\X"; "" for a root record). Values: their key's path.
    const std::string* path = nullptr;
    DWORD root = 0;       // keys and values: the root of their tree
    DWORD storedRoot = 0; // keys: the root written in the record itself
    // Directories and files, where the header says they are stored.
    DWORD attributes = 0;
    WORD accessDate = 0, accessTime = 0, writeDate = 0, writeTime = 0;
    DWORD count = 0;     // directories: child records; keys: subkeys; files, values: plain size
    DWORD values = 0;    // keys: value records
    DWORD valueType = 0; // values
    DWORD codeSize = 0;  // files and values

    const std::string& Path() const { return *path; }
};

// Where and why a walk (or a check made on a record) found the archive damaged.
struct ArchiveDamage {
    ArchiveDamage(unsigned long long at, const std::string& where, const std::string& why)
        : offset(at), place(where), what(why)
    {
    }
    unsigned long long offset; // the record's type byte, or the field that broke
    std::string place;         // the record's path as far as it is known (see CRecordWalker::PlaceOf)
    std::string what;          // what is wrong, in words

    // "damaged at OFFSET (PLACE): WHAT", control characters of the place shown as '?'.
    std::string Line() const;
};

class CRecordWalker;

class CRecordVisitor {
public:
    virtual ~CRecordVisitor() {}
    // Each record once its fixed part is read. For a file or a value the reader
    // then stands at its code, all of which is in the file: the visitor may read
    // it with CRecordWalker::ReadCode; what it leaves is skipped.
    virtual void Record(CRecordWalker& walker, const ArchiveRecord& record) {}
    // After the last record below a directory (the path is the directory's again).
    virtual void DirectoryEnd(const ArchiveRecord& record) {}
    // The place where the walk stopped.
    virtual void Damaged(const ArchiveDamage& damage) {}
};
