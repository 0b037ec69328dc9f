#include "tests/scan/ReportReader.h"

#include <cstring>

namespace report {

namespace {

class Cursor {
public:
    Cursor(const Bytes& bytes, size_t pos, size_t end) : m_b(bytes), m_pos(pos), m_end(end) {}

    bool Need(size_t n, const char* what, std::string& error)
    {
        if (m_end - m_pos >= n)
            return true;
        error = std::string("truncated at ") + what + " (offset " + std::to_string(m_pos) + ")";
        return false;
    }
    uint8_t U8() { return m_b[m_pos++]; }
    uint16_t U16()
    {
        uint16_t v = (uint16_t)(m_b[m_pos] | (m_b[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    uint32_t U32()
    {
        uint32_t v = (uint32_t)m_b[m_pos] | ((uint32_t)m_b[m_pos + 1] << 8) |
                     ((uint32_t)m_b[m_pos + 2] << 16) | ((uint32_t)m_b[m_pos + 3] << 24);
        m_pos += 4;
        return v;
    }
    uint64_t U64HighFirst()
    {
        uint64_t high = U32();
        return (high << 32) | U32();
    }
    std::string Str(size_t n)
    {
        std::string s(reinterpret_cast<const char*>(m_b.data()) + m_pos, n);
        m_pos += n;
        return s;
    }
    size_t Pos() const { return m_pos; }

private:
    const Bytes& m_b;
    size_t m_pos;
    size_t m_end;
};

bool TypeFits(int section, uint8_t type)
{
    switch (section) {
    case DIRECTORIES: return type == 1 || type == 2;
    case REGISTRY: return type == 3 || type == 4;
    default: return type == 6;
    }
}

bool ReadBlock(const Bytes& file, const uint8_t* flags, int section, Entry& entry,
               std::string& error)
{
    size_t end = (size_t)entry.blockOffset + entry.blockLength;
    Cursor c(file, entry.blockOffset, end);
    std::string where = "entry \"" + entry.name + "\": ";
    while (c.Pos() < end) {
        if (entry.records.size() >= entry.recordCount) {
            error = where + "bytes left in the block after " + std::to_string(entry.recordCount) +
                    " records";
            return false;
        }
        Record r;
        r.offset = (uint32_t)c.Pos();
        if (!c.Need(3, "record prefix", error))
            return false;
        r.type = c.U8();
        uint16_t length = c.U16();
        if (!c.Need(length, "record name", error))
            return false;
        r.name = c.Str(length);
        if (!TypeFits(section, r.type)) {
            error = where + "record type " + std::to_string(r.type) + " in this section";
            return false;
        }
        if (r.type == 1 || r.type == 2) {
            if (flags[1]) {
                if (!c.Need(8, "size fields", error))
                    return false;
                r.hasSize = true;
                r.size = c.U64HighFirst();
            }
            if (flags[2]) {
                if (!c.Need(4, "attributes", error))
                    return false;
                r.hasAttributes = true;
                r.attributes = c.U32();
            }
            if (flags[3]) {
                if (!c.Need(8, "creation time", error))
                    return false;
                r.hasCreationTime = true;
                r.creationTime = c.U64HighFirst();
            }
        } else if (r.type == 4) {
            if (!flags[5]) {
                error = where + "value record although values were not recorded";
                return false;
            }
            if (!c.Need(8, "value type and size", error))
                return false;
            r.valueType = c.U32();
            uint32_t size = c.U32();
            if (!c.Need(size, "value data", error))
                return false;
            r.data.assign(file.begin() + c.Pos(), file.begin() + c.Pos() + size);
            c.Str(size);
        }
        r.length = (uint32_t)(c.Pos() - r.offset);
        entry.records.push_back(r);
    }
    if (entry.records.size() != entry.recordCount) {
        error = where + std::to_string(entry.records.size()) + " records in the block, count says " +
                std::to_string(entry.recordCount);
        return false;
    }
    if (section == REGISTRY &&
        (entry.records.empty() || entry.records[0].type != 3 || entry.records[0].name != "\\")) {
        error = where + "registry block does not start with the root record";
        return false;
    }
    return true;
}

} // namespace

bool Read(const Bytes& file, Report& out, std::string& error)
{
    out = Report();
    if (file.size() < 8 || std::memcmp(file.data(), "ZMRFv1.0", 8) != 0) {
        error = "not a report (magic)";
        return false;
    }
    Cursor c(file, 8, file.size());
    if (!c.Need(24, "header", error))
        return false;
    for (int i = 0; i < 8; i++) {
        out.flags[i] = c.U8();
        if (out.flags[i] > 1) {
            error = "flag byte " + std::to_string(i) + " is neither 0 nor 1";
            return false;
        }
    }
    for (int i = 0; i < 8; i++)
        out.time[i] = c.U16();

    size_t pos = 32;
    for (int s = 0; s < 4; s++) {
        if (!out.flags[kSectionFlag[s]])
            continue;
        out.present[s] = true;
        out.sectionOffset[s] = (uint32_t)pos;
        Cursor d(file, pos, file.size());
        if (!d.Need(2, "entry count", error))
            return false;
        uint16_t count = d.U16();
        std::vector<Entry>& entries = out.sections[s];
        for (unsigned k = 0; k < count; k++) {
            Entry e;
            if (!d.Need(2, "entry name length", error))
                return false;
            uint16_t length = d.U16();
            if (!d.Need(length + 12u, "entry descriptor", error))
                return false;
            e.name = d.Str(length);
            e.descriptorOffset = (uint32_t)d.Pos();
            e.blockOffset = d.U32();
            e.blockLength = d.U32();
            e.recordCount = d.U32();
            entries.push_back(e);
        }
        size_t expected = d.Pos();
        for (Entry& e : entries) {
            if (e.blockOffset != expected) {
                error = "entry \"" + e.name + "\": block at " + std::to_string(e.blockOffset) +
                        ", expected at " + std::to_string(expected);
                return false;
            }
            if ((uint64_t)e.blockOffset + e.blockLength > file.size()) {
                error = "entry \"" + e.name + "\": block runs past the end of the file";
                return false;
            }
            if (!ReadBlock(file, out.flags, s, e, error))
                return false;
            expected = (size_t)e.blockOffset + e.blockLength;
        }
        pos = expected;
    }
    if (pos != file.size()) {
        error = std::to_string(file.size() - pos) + " bytes after the last section";
        return false;
    }
    return true;
}

const Entry* FindEntry(const Report& report, int section, const std::string& name)
{
    for (const Entry& e : report.sections[section])
        if (e.name == name)
            return &e;
    return nullptr;
}

Builder& Builder::U8(unsigned v)
{
    m_bytes.push_back((unsigned char)v);
    return *this;
}

Builder& Builder::U16(unsigned v)
{
    U8(v & 0xFF);
    return U8((v >> 8) & 0xFF);
}

Builder& Builder::U32(uint32_t v)
{
    U16(v & 0xFFFF);
    return U16(v >> 16);
}

Builder& Builder::U64HighFirst(uint64_t v)
{
    U32((uint32_t)(v >> 32));
    return U32((uint32_t)v);
}

Builder& Builder::Str(const std::string& s)
{
    m_bytes.insert(m_bytes.end(), s.begin(), s.end());
    return *this;
}

Builder& Builder::Name(const std::string& s)
{
    U16((unsigned)s.size());
    return Str(s);
}

Builder& Builder::Raw(const Bytes& b)
{
    m_bytes.insert(m_bytes.end(), b.begin(), b.end());
    return *this;
}

void Builder::PatchU32(size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        m_bytes[at + i] = (unsigned char)(v >> (8 * i));
}

} // namespace report
