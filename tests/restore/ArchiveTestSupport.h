// Helpers of the archive tests that run on both builds: a sample archive, DOS
// stamps and the read-only bit read back from the file system, and directory
// listings. Paths are native (code page 1251 on Windows, UTF-8 on Linux).
#pragma once

#include "tests/restore/ArchiveBuilder.h"

#include <set>
#include <string>
#include <vector>

// A string literal as a native path holds it: code page 1251 on Windows (the
// sources' literals are made so), UTF-8 on Linux.
#ifdef _WIN32
#define NATIVE_TEXT(s) s
#else
#define NATIVE_TEXT(s) u8##s
#endif

// Names of records that are not one path component: ".", "..", separators,
// drives, devices, control characters, characters Windows refuses, empty.
const std::vector<std::string>& CraftedNames();
// A "box" directory record holding a directory of that name (with a file and a
// subdirectory), a file of that name and "ok.txt" ("ok"), each a complete record.
void CraftedBox(CArchiveBuilder& b, const std::string& name);
// A name as lines show it: control characters as '?'.
std::string Shown(const std::string& name);
// Lines one after another, each ended by '\n'.
std::string LinesText(const std::vector<std::string>& lines);

// A directory or file of the sample archive.
struct SampleEntry {
    std::string path;   // archive path, code page 1251 ("C:\Папка\ro.bin")
    std::string native; // the same below the extraction folder ("C/Папка/ro.bin")
    bool directory;
    Bytes data;
    DWORD attributes;
    DosStamp stamp;
};

// The files section of the sample archive, in archive order.
const std::vector<SampleEntry>& SampleEntries();
// Its registry section: HKEY_CURRENT_USER\Software\ZelmoraSample with a value of
// every type; names and data in code page 1251.
struct SampleValue {
    std::string name;
    DWORD type;
    Bytes data;
};
const std::vector<SampleValue>& SampleValues();
// The sample archive: attributes and times stored, the entries above (C: with
// Папка and its files, a read-only one and an empty one, a nested directory, an
// empty directory), then the key with its values. 19 records.
CArchiveBuilder SampleArchive();

// The DOS stamps of a file or directory (local time), as an archive stores them.
bool ReadDosStamp(const std::string& path, DosStamp& stamp);
bool SameStamp(const DosStamp& a, const DosStamp& b);
bool IsDirectoryAt(const std::string& path);
// Windows: the read-only attribute; Linux: nobody may write the file.
bool IsReadOnlyAt(const std::string& path);

// Names in a directory (without "." and ".."), sorted.
std::set<std::string> ListNames(const std::string& dir);
// Every path below a directory, relative to it, directories ending in the
// separator.
std::set<std::string> ListTree(const std::string& dir);
