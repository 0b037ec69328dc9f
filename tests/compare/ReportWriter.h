// Test-side writer of report images, byte for byte: header, the present
// sections in their fixed order, each with its count, descriptors and blocks.
#pragma once

#include "framework/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct TestRecord {
    BYTE type;
    std::string name;
    uint64_t size;
    DWORD attributes;
    uint64_t creation;
    DWORD valueType;
    std::string data;
};

TestRecord DirRec(const std::string& name, DWORD attributes = 0x10, uint64_t creation = 0);
TestRecord FileRec(const std::string& name, uint64_t size = 0, DWORD attributes = 0x20,
                   uint64_t creation = 0);
TestRecord KeyRec(const std::string& name);
TestRecord ValueRec(const std::string& name, DWORD type, const std::string& data);
TestRecord LineRec(const std::string& text);

struct TestEntry {
    std::string name;
    std::vector<TestRecord> records;
};

// Section numbers in file order.
enum { SEC_DIRECTORIES = 0, SEC_REGISTRY = 1, SEC_SETTINGS = 2, SEC_DOS = 3 };

class CReportWriter {
public:
    // fieldFlags: bytes 1, 2, 3 and 5 of ScanFlags (sizes, attributes, creation
    // times, values); the section bytes follow the sections added.
    CReportWriter(bool sizes = true, bool attributes = true, bool creation = true, bool values = true);

    void SetTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms,
                 WORD dayOfWeek = 0);
    // Makes the section present (with no entries until some are added).
    void AddSection(int section);
    // Adds an entry to a section (made present); returns the entry for its records.
    TestEntry& AddEntry(int section, const std::string& name);

    Bytes Build();

    // Filled by Build: file position of each descriptor's block-offset field and
    // of each block, in file order over all sections.
    std::vector<size_t> m_descriptorFields;
    std::vector<size_t> m_blockStarts;

    BYTE m_flags[8];
    WORD m_time[8];
    bool m_present[4];
    std::vector<TestEntry> m_entries[4];
};

// The record bytes of one record under a report's flags.
void AppendRecord(Bytes& out, const TestRecord& r, const BYTE* flags);
void PutU16(Bytes& out, DWORD v);
void PutU32(Bytes& out, DWORD v);
void SetU32(Bytes& out, size_t at, DWORD v);
