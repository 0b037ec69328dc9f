#include "tests/restore/ArchiveBuilder.h"

#include "compress/LZSS.h"

#include <cstring>

namespace {

// The codec over byte vectors.
class CVectorCoder : public CLZSS {
public:
    const Bytes* in = nullptr;
    size_t pos = 0;
    Bytes out;
    int GetByte() override { return pos < in->size() ? (*in)[pos++] : -1; }
    void PutByte(int c) override { out.push_back((unsigned char)c); }
};

} // namespace

CArchiveBuilder::CArchiveBuilder(int files, int attributes, int times, int registry, int family,
                                 const char* magic)
    : m_attributes(attributes), m_times(times), m_lastCount(0), m_lastNameEnd(0)
{
    for (int i = 0; i < 8; i++)
        Byte(magic[i]);
    Byte(files);
    Byte(attributes);
    Byte(times);
    Byte(registry);
    const WORD created[8] = {2024, 5, 3, 9, 12, 30, 45, 500};
    for (WORD w : created)
        Word(w);
    Byte(family);
}

void CArchiveBuilder::Word(unsigned w)
{
    Byte(w & 0xFF);
    Byte((w >> 8) & 0xFF);
}

void CArchiveBuilder::Dword(DWORD d)
{
    Word(d & 0xFFFF);
    Word(d >> 16);
}

void CArchiveBuilder::Name(const std::string& name)
{
    Word((unsigned)name.size());
    m_data.insert(m_data.end(), name.begin(), name.end());
    m_lastNameEnd = m_data.size();
}

size_t CArchiveBuilder::Count(DWORD n)
{
    size_t at = m_data.size();
    Dword(n);
    return at;
}

void CArchiveBuilder::RecordHead(BYTE type, const std::string& name, DWORD attributes,
                                 const DosStamp& stamp)
{
    Byte(type);
    Name(name);
    if (m_attributes)
        Dword(attributes);
    if (m_times) {
        Word(stamp.accessDate);
        Word(stamp.accessTime);
        Word(stamp.writeDate);
        Word(stamp.writeTime);
    }
}

size_t CArchiveBuilder::Dir(const std::string& name, DWORD children, DWORD attributes,
                            const DosStamp& stamp)
{
    size_t at = m_data.size();
    RecordHead(1, name, attributes, stamp);
    m_lastCount = Count(children);
    return at;
}

size_t CArchiveBuilder::File(const std::string& name, const Bytes& contents, DWORD attributes,
                             const DosStamp& stamp)
{
    return FileCode(name, (DWORD)contents.size(), Encode(contents), attributes, stamp);
}

size_t CArchiveBuilder::FileCode(const std::string& name, DWORD plainSize, const Bytes& code,
                                 DWORD attributes, const DosStamp& stamp)
{
    size_t at = m_data.size();
    RecordHead(2, name, attributes, stamp);
    m_lastCount = Count(plainSize);
    Dword((DWORD)code.size());
    m_data.insert(m_data.end(), code.begin(), code.end());
    return at;
}

size_t CArchiveBuilder::Key(const std::string& name, DWORD root, DWORD subkeys, DWORD values)
{
    size_t at = m_data.size();
    Byte(3);
    Name(name);
    Dword(root);
    m_lastCount = Count(subkeys);
    Dword(values);
    return at;
}

size_t CArchiveBuilder::Value(const std::string& name, DWORD type, const Bytes& data)
{
    return ValueCode(name, type, (DWORD)data.size(), Encode(data));
}

size_t CArchiveBuilder::ValueCode(const std::string& name, DWORD type, DWORD plainSize,
                                  const Bytes& code)
{
    size_t at = m_data.size();
    Byte(4);
    Name(name);
    Dword(type);
    m_lastCount = Count(plainSize);
    Dword((DWORD)code.size());
    m_data.insert(m_data.end(), code.begin(), code.end());
    return at;
}

void CArchiveBuilder::Chain(const std::string& dirPath, DWORD children)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i < dirPath.size(); i++) {
        if (dirPath[i] == '\\') {
            parts.push_back(dirPath.substr(start, i - start));
            start = i + 1;
        }
    }
    for (size_t i = 0; i < parts.size(); i++)
        Dir(parts[i], i + 1 < parts.size() ? 1 : children);
}

void CArchiveBuilder::KeyChain(DWORD root, const std::string& keyPath, DWORD subkeys, DWORD values)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= keyPath.size(); i++) {
        if (i == keyPath.size() || keyPath[i] == '\\') {
            if (i > start)
                parts.push_back(keyPath.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.empty()) {
        Key("", root, subkeys, values);
        return;
    }
    Key("", root, 1, 0);
    for (size_t i = 0; i < parts.size(); i++) {
        bool last = i + 1 == parts.size();
        Key(parts[i], root, last ? subkeys : 1, last ? values : 0);
    }
}

void CArchiveBuilder::PatchDword(size_t at, DWORD value)
{
    for (int i = 0; i < 4; i++)
        m_data[at + i] = (unsigned char)(value >> (8 * i));
}

Bytes CArchiveBuilder::Encode(const Bytes& plain)
{
    CVectorCoder coder;
    coder.in = &plain;
    coder.Encode();
    return coder.out;
}
