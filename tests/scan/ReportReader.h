// Test-side reader of report files (.zmr), written from the file layout alone and
// sharing no code with the scanner. It checks the structure strictly: the magic,
// the flag bytes, every descriptor's block against the file, blocks that follow
// one another without gaps, records that fill their block exactly and match its
// record count, and nothing after the last section. Portable (no Windows calls).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace report {

typedef std::vector<unsigned char> Bytes;

enum Section { DIRECTORIES = 0, REGISTRY = 1, SETTINGS_FILES = 2, DOS_FILES = 3 };
// Flag byte of each section in the header's flag field.
const int kSectionFlag[4] = {0, 4, 6, 7};

struct Record {
    uint8_t type = 0;
    std::string name;
    // File and directory records (types 1 and 2), as far as the flags give them.
    bool hasSize = false, hasAttributes = false, hasCreationTime = false;
    uint64_t size = 0;
    uint32_t attributes = 0;
    uint64_t creationTime = 0;
    // Value records (type 4).
    uint32_t valueType = 0;
    Bytes data;
    // Where the record starts in the file, and its length in bytes.
    uint32_t offset = 0, length = 0;
};

struct Entry {
    std::string name;
    uint32_t descriptorOffset = 0; // file position of the block offset field
    uint32_t blockOffset = 0, blockLength = 0, recordCount = 0;
    std::vector<Record> records;
};

struct Report {
    uint8_t flags[8] = {};
    uint16_t time[8] = {}; // year, month, day of week, day, hour, minute, second, ms
    bool present[4] = {};
    uint32_t sectionOffset[4] = {}; // file position of each present section's count
    std::vector<Entry> sections[4];
};

// Reads a whole report; false with a readable reason in error when anything
// does not match the layout.
bool Read(const Bytes& file, Report& out, std::string& error);

// The records of one entry of a section, found by entry name; null when absent.
const Entry* FindEntry(const Report& report, int section, const std::string& name);

// Little-endian builder for expected report bytes.
class Builder {
public:
    Builder& U8(unsigned v);
    Builder& U16(unsigned v);
    Builder& U32(uint32_t v);
    // A 64-bit quantity as the report stores it: high half first.
    Builder& U64HighFirst(uint64_t v);
    Builder& Str(const std::string& s);
    // u16 length, then the bytes.
    Builder& Name(const std::string& s);
    Builder& Raw(const Bytes& b);
    size_t Size() const { return m_bytes.size(); }
    // Overwrites a u32 at a position already written.
    void PatchU32(size_t at, uint32_t v);
    const Bytes& Get() const { return m_bytes; }

private:
    Bytes m_bytes;
};

} // namespace report
