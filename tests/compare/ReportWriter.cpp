#include "tests/compare/ReportWriter.h"

#include <cstring>

TestRecord DirRec(const std::string& name, DWORD attributes, uint64_t creation)
{
    return {1, name, 0, attributes, creation, 0, ""};
}

TestRecord FileRec(const std::string& name, uint64_t size, DWORD attributes, uint64_t creation)
{
    return {2, name, size, attributes, creation, 0, ""};
}

TestRecord KeyRec(const std::string& name) { return {3, name, 0, 0, 0, 0, ""}; }

TestRecord ValueRec(const std::string& name, DWORD type, const std::string& data)
{
    return {4, name, 0, 0, 0, type, data};
}

TestRecord LineRec(const std::string& text) { return {6, text, 0, 0, 0, 0, ""}; }

void PutU16(Bytes& out, DWORD v)
{
    out.push_back((unsigned char)v);
    out.push_back((unsigned char)(v >> 8));
}

void PutU32(Bytes& out, DWORD v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void SetU32(Bytes& out, size_t at, DWORD v)
{
    for (int k = 0; k < 4; k++)
        out[at + k] = (unsigned char)(v >> (8 * k));
}

void AppendRecord(Bytes& out, const TestRecord& r, const BYTE* flags)
{
    out.push_back(r.type);
    PutU16(out, (DWORD)r.name.size());
    out.insert(out.end(), r.name.begin(), r.name.end());
    if (r.type == 1 || r.type == 2) {
        if (flags[1]) {
            PutU32(out, (DWORD)(r.size >> 32));
            PutU32(out, (DWORD)r.size);
        }
        if (flags[2])
            PutU32(out, r.attributes);
        if (flags[3]) {
            PutU32(out, (DWORD)(r.creation >> 32));
            PutU32(out, (DWORD)r.creation);
        }
    } else if (r.type == 4) {
        PutU32(out, r.valueType);
        PutU32(out, (DWORD)r.data.size());
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
}

CReportWriter::CReportWriter(bool sizes, bool attributes, bool creation, bool values)
{
    std::memset(m_flags, 0, sizeof m_flags);
    m_flags[1] = sizes;
    m_flags[2] = attributes;
    m_flags[3] = creation;
    m_flags[5] = values;
    const WORD t[8] = {2024, 3, 1, 14, 10, 0, 0, 0};
    std::memcpy(m_time, t, sizeof m_time);
    for (bool& p : m_present)
        p = false;
}

void CReportWriter::SetTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                            WORD ms, WORD dayOfWeek)
{
    const WORD t[8] = {year, month, dayOfWeek, day, hour, minute, second, ms};
    std::memcpy(m_time, t, sizeof m_time);
}

void CReportWriter::AddSection(int section) { m_present[section] = true; }

TestEntry& CReportWriter::AddEntry(int section, const std::string& name)
{
    m_present[section] = true;
    m_entries[section].push_back({name, {}});
    return m_entries[section].back();
}

Bytes CReportWriter::Build()
{
    static const int flagOf[4] = {0, 4, 6, 7};
    for (int s = 0; s < 4; s++)
        m_flags[flagOf[s]] = m_present[s];
    Bytes out = {'Z', 'M', 'R', 'F', 'v', '1', '.', '0'};
    for (BYTE f : m_flags)
        out.push_back(f);
    for (WORD w : m_time)
        PutU16(out, w);
    m_descriptorFields.clear();
    m_blockStarts.clear();
    for (int s = 0; s < 4; s++) {
        if (!m_present[s])
            continue;
        const std::vector<TestEntry>& entries = m_entries[s];
        PutU16(out, (DWORD)entries.size());
        std::vector<size_t> fields;
        for (const TestEntry& e : entries) {
            PutU16(out, (DWORD)e.name.size());
            out.insert(out.end(), e.name.begin(), e.name.end());
            fields.push_back(out.size());
            m_descriptorFields.push_back(out.size());
            PutU32(out, 0);
            PutU32(out, 0);
            PutU32(out, (DWORD)e.records.size());
        }
        for (size_t k = 0; k < entries.size(); k++) {
            size_t start = out.size();
            m_blockStarts.push_back(start);
            for (const TestRecord& r : entries[k].records)
                AppendRecord(out, r, m_flags);
            SetU32(out, fields[k], (DWORD)start);
            SetU32(out, fields[k] + 4, (DWORD)(out.size() - start));
        }
    }
    return out;
}
