// Test-side archive reader: parses a whole .zma archive into a tree of records,
// written from the file layout alone (it shares no code with the writer), so that
// tests of the writer and of the restore engine can check archives field by field.
// Damaged input never crashes it: a truncated or corrupt archive gives the records
// parsed so far and a description of where and why parsing stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct WalkedRecord {
    size_t offset = 0;      // offset of the type byte
    uint8_t type = 0;       // 1 directory, 2 file, 3 key, 4 value
    std::string name;       // the stored name (one component; empty for a root key)
    // Directories and files: the full path ("C:", "C:\A\x.txt"). Keys: the path
    // below the root ("" for a root record, "Software\A"). Values: the path of
    // the key they belong to.
    std::string path;

    bool hasAttributes = false;
    uint32_t attributes = 0;
    bool hasTimes = false;
    uint16_t accessDate = 0, accessTime = 0, writeDate = 0, writeTime = 0;

    uint32_t childCount = 0; // directories: C; keys: S (subkeys)
    uint32_t valueCount = 0; // keys: V
    uint32_t root = 0;       // keys: the stored root; values: their key's root
    uint32_t valueType = 0;  // values

    // Files and values: the block frame.
    uint32_t plainSize = 0;
    uint32_t codeSize = 0;
    size_t codeOffset = 0;  // offset of the first code byte

    size_t endOffset = 0;   // offset just past the record's whole subtree
    // Directories: the children. Keys: the V values first, then the S subkeys.
    std::vector<WalkedRecord> children;
};

struct WalkedArchive {
    bool ok = false;          // the whole archive parsed without a fault
    bool truncated = false;   // the data ended inside a field
    bool corrupt = false;     // a wrong magic, record type, name length or nesting
    std::string error;        // what went wrong, empty when ok
    size_t errorOffset = 0;   // where it went wrong

    size_t size = 0;          // bytes in the archive
    size_t endOffset = 0;     // where parsing ended (size when ok and nothing follows)
    size_t trailingBytes = 0; // bytes after the last record of the last section

    char magic[9] = {};
    uint8_t flags[4] = {};    // files, attributes, times, registry
    uint16_t time[8] = {};    // year, month, day of week, day, hour, minute, second, ms
    uint8_t osFamily = 0;

    uint32_t fileCount = 0;   // stored top-level counts
    uint32_t keyCount = 0;
    size_t fileCountOffset = 0, keyCountOffset = 0;
    std::vector<WalkedRecord> files;
    std::vector<WalkedRecord> keys;

    // Every record in archive order (pre-order over both sections).
    std::vector<const WalkedRecord*> AllRecords() const;
    // The first directory or file record with this full path (case-sensitive).
    const WalkedRecord* FindFile(const std::string& path) const;
    // The first key record with this root and path below the root.
    const WalkedRecord* FindKey(uint32_t root, const std::string& path) const;
    // The value of that key, by name.
    const WalkedRecord* FindValue(uint32_t root, const std::string& keyPath,
                                  const std::string& name) const;
};

typedef std::vector<unsigned char> WalkerBytes;

// Parses an archive held in memory.
WalkedArchive WalkArchive(const WalkerBytes& data);
// Reads the file and parses it; a file that cannot be read gives ok == false.
WalkedArchive WalkArchiveFile(const std::string& path);

// An outline of the records, one line each, two spaces of indent per level:
//   "files 1" / "registry 1" for each present section, then
//   "D C: [2]"            directory, child count
//   "F x.txt 10/7"        file, plain size / code size
//   "K  S=1 V=0 root=80000001"  key (name, counts, root in hex)
//   "V Name t=1 3/5"      value, type, plain size / code size
// Attributes and times are left out.
std::string DescribeArchive(const WalkedArchive& archive);

// The code bytes of a file or value record.
WalkerBytes RecordCode(const WalkerBytes& data, const WalkedRecord& record);
