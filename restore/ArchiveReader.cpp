#include "restore/ArchiveReader.h"

#include <cstring>
#include <new>

const char kArchiveOpenError[] = "Ошибка открытия файла";
const char kArchiveDamaged[] = "Архив поврежден";

CArchiveReader::CArchiveReader()
    : m_bDamaged(false), m_hFile(INVALID_HANDLE_VALUE), m_nFileSize(0), m_pBuf(nullptr),
      m_nBufBase(0), m_nBufLen(0), m_nBufPos(0)
{
}

CArchiveReader::~CArchiveReader()
{
    Close();
    delete[] m_pBuf;
}

bool CArchiveReader::Open(LPCSTR path)
{
    Close();
    m_bDamaged = false;
    m_nFileSize = 0;
    m_nBufBase = 0;
    m_nBufLen = m_nBufPos = 0;
    if (!path || !*path)
        return false;
    if (!m_pBuf) {
        m_pBuf = new (std::nothrow) BYTE[BUFFER_SIZE];
        if (!m_pBuf)
            return false;
    }
    m_hFile = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        Close();
        return false;
    }
    m_nFileSize = ((unsigned long long)high << 32) | low;
    return true;
}

void CArchiveReader::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CArchiveReader::IsArchiveMagic(const char magic[8])
{
    return std::memcmp(magic, ARCHIVE_MAGIC, ARCHIVE_MAGIC_SIZE) == 0;
}

bool CArchiveReader::ReadHeader(ArchiveHeader& header)
{
    std::memset(&header, 0, sizeof header);
    if (!Read(header.magic, 8) || !Read(header.flags, 4))
        return false;
    for (WORD& w : header.created)
        if (!ReadWord(w))
            return false;
    return ReadByte(header.osFamily);
}

bool CArchiveReader::Fail()
{
    m_bDamaged = true;
    return false;
}

bool CArchiveReader::Fill()
{
    // The file pointer stands at m_nBufBase + m_nBufLen.
    m_nBufBase += m_nBufLen;
    m_nBufLen = m_nBufPos = 0;
    unsigned long long left = m_nFileSize - m_nBufBase;
    DWORD want = left < BUFFER_SIZE ? (DWORD)left : BUFFER_SIZE;
    if (want == 0)
        return false;
    DWORD got = 0;
    if (!ReadFile(m_hFile, m_pBuf, want, &got, nullptr) || got == 0)
        return false;
    m_nBufLen = got;
    return true;
}

bool CArchiveReader::Read(void* dest, DWORD size)
{
    if (m_bDamaged || !IsOpen())
        return Fail();
    if (size > Remaining())
        return Fail();
    BYTE* out = static_cast<BYTE*>(dest);
    while (size > 0) {
        DWORD avail = m_nBufLen - m_nBufPos;
        if (avail == 0) {
            if (size >= BUFFER_SIZE) {
                // Large reads go straight into the caller's block.
                m_nBufBase += m_nBufLen;
                m_nBufLen = m_nBufPos = 0;
                DWORD got = 0;
                if (!ReadFile(m_hFile, out, size, &got, nullptr) || got != size) {
                    m_nBufBase += got;
                    return Fail();
                }
                m_nBufBase += got;
                return true;
            }
            if (!Fill())
                return Fail();
            avail = m_nBufLen;
        }
        DWORD n = size < avail ? size : avail;
        std::memcpy(out, m_pBuf + m_nBufPos, n);
        m_nBufPos += n;
        out += n;
        size -= n;
    }
    return true;
}

bool CArchiveReader::ReadWord(WORD& value)
{
    BYTE b[2];
    if (!Read(b, 2))
        return false;
    value = (WORD)(b[0] | (b[1] << 8));
    return true;
}

bool CArchiveReader::ReadDword(DWORD& value)
{
    BYTE b[4];
    if (!Read(b, 4))
        return false;
    value = (DWORD)b[0] | ((DWORD)b[1] << 8) | ((DWORD)b[2] << 16) | ((DWORD)b[3] << 24);
    return true;
}

bool CArchiveReader::ReadName(char* name, WORD& length)
{
    name[0] = 0;
    if (!ReadWord(length))
        return false;
    if (length > ARCHIVE_MAX_NAME)
        return Fail();
    if (!Read(name, length))
        return false;
    name[length] = 0;
    return true;
}

bool CArchiveReader::Skip(DWORD size)
{
    if (m_bDamaged || !IsOpen())
        return Fail();
    if (size > Remaining())
        return Fail();
    if (size <= m_nBufLen - m_nBufPos) {
        m_nBufPos += size;
        return true;
    }
    unsigned long long target = Tell() + size;
    return Seek64(target);
}

bool CArchiveReader::Seek(DWORD offset) { return Seek64(offset); }

bool CArchiveReader::Seek64(unsigned long long offset)
{
    if (m_bDamaged || !IsOpen())
        return Fail();
    if (offset > m_nFileSize)
        return Fail();
    if (offset >= m_nBufBase && offset <= m_nBufBase + m_nBufLen) {
        m_nBufPos = (DWORD)(offset - m_nBufBase);
        return true;
    }
    LONG high = (LONG)(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_hFile, (LONG)(DWORD)offset, &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return Fail();
    m_nBufBase = offset;
    m_nBufLen = m_nBufPos = 0;
    return true;
}

bool CArchiveReader::ReadFileHead(FileRecordHead& head, bool attributes, bool times)
{
    std::memset(&head, 0, sizeof head);
    if (!ReadByte(head.type) || !ReadName(head.name, head.nameLength))
        return false;
    if (attributes && !ReadDword(head.attributes))
        return false;
    if (times && (!ReadWord(head.accessDate) || !ReadWord(head.accessTime) ||
                  !ReadWord(head.writeDate) || !ReadWord(head.writeTime)))
        return false;
    return ReadDword(head.count);
}

bool CArchiveReader::ReadKeyHead(KeyRecordHead& head)
{
    std::memset(&head, 0, sizeof head);
    return ReadByte(head.type) && ReadName(head.name, head.nameLength) && ReadDword(head.root) &&
           ReadDword(head.subkeys) && ReadDword(head.values);
}

bool CArchiveReader::ReadValueHead(ValueRecordHead& head)
{
    std::memset(&head, 0, sizeof head);
    return ReadByte(head.type) && ReadName(head.name, head.nameLength) &&
           ReadDword(head.valueType) && ReadDword(head.plainSize) && ReadDword(head.codeSize);
}

bool DosStampToFileTime(WORD date, WORD time, FILETIME* out)
{
    FILETIME local;
    return DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, out);
}

std::string Printable(const char* text, size_t length)
{
    std::string s(text, length);
    for (char& c : s)
        if ((unsigned char)c < 32)
            c = '?';
    return s;
}
