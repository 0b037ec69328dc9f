// Builds archives byte by byte for the restore tests: a header, then records
// written in the order the caller gives them, with the code of each block made by
// the real coder. Counts can be patched and every name's place is remembered, so
// that tests can damage archives exactly where they mean to.
#pragma once

#include "tests/support/TestFiles.h"

#include <string>
#include <vector>

// DOS date and time words of a record (local time).
struct DosStamp {
    WORD accessDate, accessTime, writeDate, writeTime;
};

// 2022-01-02 00:00:00 last access, 2021-03-04 10:20:30 last write.
const DosStamp kDefaultStamp = {(42 << 9) | (1 << 5) | 2, 0, (41 << 9) | (3 << 5) | 4,
                                (10 << 11) | (20 << 5) | 15};

class CArchiveBuilder {
public:
    CArchiveBuilder(int files, int attributes, int times, int registry, int family = 2,
                    const char* magic = "ZMAFv1.0");

    void Byte(int b) { m_data.push_back((unsigned char)b); }
    void Word(unsigned w);
    void Dword(DWORD d);
    void Name(const std::string& name);
    // A 32-bit count; returns its offset.
    size_t Count(DWORD n);
    // Type, name, and the attributes and times the header's flags ask for: the
    // part a directory and a file record share.
    void RecordHead(BYTE type, const std::string& name, DWORD attributes, const DosStamp& stamp);

    // Records; each returns its own offset. m_lastCount is the offset of the
    // record's count field (child count, plain size, or subkey count).
    size_t Dir(const std::string& name, DWORD children, DWORD attributes = FILE_ATTRIBUTE_DIRECTORY,
               const DosStamp& stamp = kDefaultStamp);
    size_t File(const std::string& name, const Bytes& contents,
                DWORD attributes = FILE_ATTRIBUTE_ARCHIVE, const DosStamp& stamp = kDefaultStamp);
    size_t FileCode(const std::string& name, DWORD plainSize, const Bytes& code,
                    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE, const DosStamp& stamp = kDefaultStamp);
    size_t Key(const std::string& name, DWORD root, DWORD subkeys, DWORD values);
    size_t Value(const std::string& name, DWORD type, const Bytes& data);
    size_t ValueCode(const std::string& name, DWORD type, DWORD plainSize, const Bytes& code);

    // Directory records for every component of a directory path ending in a
    // backslash ("C:\a\b\": C:, a, b), each holding the next; the last holds
    // `children` records. One top-level record.
    void Chain(const std::string& dirPath, DWORD children);
    // Key records for a key path below a root ("Software\X": the root record,
    // Software, X); the last has the given counts.
    void KeyChain(DWORD root, const std::string& keyPath, DWORD subkeys, DWORD values);

    void PatchDword(size_t at, DWORD value);
    bool Save(const std::string& path) const { return WriteFileBytes(path, m_data); }

    static Bytes Encode(const Bytes& plain);

    Bytes m_data;
    int m_attributes, m_times;
    size_t m_lastCount;
    // Offset just past the last name written (its length field and bytes).
    size_t m_lastNameEnd;
};
