#include "base/ArchiveSums.h"

#include "base/Crc32.h"

#include <algorithm>
#include <cstring>

const char CArchiveSums::kSuffix[] = ".sum";

namespace {

const char kMagic[8] = {'Z', 'M', 'S', 'F', 'v', '1', '.', '0'};
const size_t kHead = 24, kPerBlock = 12;
// Far more blocks than any archive of 4 GiB can hold: a larger count is damage.
const DWORD kMaxBlocks = 0x20000000;

void Put(std::vector<BYTE>& out, unsigned long long value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out.push_back((BYTE)(value >> (8 * i)));
}

unsigned long long Get(const BYTE* p, int bytes)
{
    unsigned long long value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = (value << 8) | p[i];
    return value;
}

bool ReadWhole(HANDLE h, std::vector<BYTE>& data)
{
    DWORD high = 0;
    DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE || high || low > kHead + 4 + (unsigned long long)kMaxBlocks * kPerBlock)
        return false;
    data.resize(low);
    DWORD got = 0;
    return low == 0 || (ReadFile(h, data.data(), low, &got, nullptr) && got == low);
}

} // namespace

CArchiveSums::State CArchiveSums::Load(const char* archivePath)
{
    m_blocks.clear();
    m_nSize = 0;
    m_nCrc = 0;
    const std::string path = PathFor(archivePath);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return m_state = GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? NONE : DAMAGED;
    std::vector<BYTE> data;
    bool read = ReadWhole(h, data);
    CloseHandle(h);
    m_state = DAMAGED;
    if (!read || data.size() < kHead + 4 || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0)
        return m_state;
    const DWORD count = (DWORD)Get(&data[20], 4);
    if (count > kMaxBlocks || data.size() != kHead + (size_t)count * kPerBlock + 4 ||
        Crc32(0, data.data(), data.size() - 4) != (DWORD)Get(&data[data.size() - 4], 4))
        return m_state;
    m_nSize = Get(&data[8], 8);
    m_nCrc = (DWORD)Get(&data[16], 4);
    m_blocks.resize(count);
    for (DWORD i = 0; i < count; i++) {
        const BYTE* p = &data[kHead + (size_t)i * kPerBlock];
        m_blocks[i] = {Get(p, 8), (DWORD)Get(p + 8, 4)};
        if (i && m_blocks[i].offset <= m_blocks[i - 1].offset) {
            m_blocks.clear();
            return m_state;
        }
    }
    return m_state = LOADED;
}

bool CArchiveSums::ArchiveMatches(const char* archivePath) const
{
    unsigned long long size = 0;
    DWORD crc = 0;
    return SumFile(archivePath, size, crc) && size == m_nSize && crc == m_nCrc;
}

bool CArchiveSums::BlockCrc(unsigned long long offset, DWORD& crc) const
{
    auto it = std::lower_bound(m_blocks.begin(), m_blocks.end(), offset,
                               [](const Block& b, unsigned long long at) { return b.offset < at; });
    if (it == m_blocks.end() || it->offset != offset)
        return false;
    crc = it->crc;
    return true;
}

bool CArchiveSums::Save(const char* archivePath) const
{
    const std::string path = PathFor(archivePath);
    std::vector<BYTE> data(kMagic, kMagic + sizeof kMagic);
    Put(data, m_nSize, 8);
    Put(data, m_nCrc, 4);
    Put(data, m_blocks.size(), 4);
    for (const Block& b : m_blocks) {
        Put(data, b.offset, 8);
        Put(data, b.crc, 4);
    }
    Put(data, Crc32(0, data.data(), data.size()), 4);

    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, data.data(), (DWORD)data.size(), &written, nullptr) && written == data.size();
    ok = CloseHandle(h) && ok;
    if (!ok)
        DeleteFileA(path.c_str());
    return ok;
}

bool CArchiveSums::SumFile(const char* path, unsigned long long& size, DWORD& crc)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> buffer(1 << 20);
    size = 0;
    crc = 0;
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buffer.data(), (DWORD)buffer.size(), &got, nullptr) != FALSE) && got) {
        crc = Crc32(crc, buffer.data(), got);
        size += got;
    }
    CloseHandle(h);
    return ok;
}

void CArchiveSums::Remove(const char* archivePath)
{
    const std::string path = PathFor(archivePath);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}
