// Reading side of the archive file: a buffered, bounds-checked reader over the
// open archive. Every read that would run past the end of the file fails and marks
// the archive damaged, so that a truncated or corrupt archive is stopped where it
// breaks instead of being read into garbage.
#pragma once

#include "backup/ArchiveFormat.h"
#include "framework/Platform.h"

#include <cstddef>
#include <string>

struct ArchiveHeader {
    char magic[8];
    BYTE flags[4]; // files, attributes, times, registry
    WORD created[8];
    BYTE osFamily;
};

// The fixed part of a directory or file record, up to its count field (child
// count of a directory, plain size of a file).
struct FileRecordHead {
    BYTE type;
    WORD nameLength;
    char name[MAX_PATH];
    DWORD attributes;
    WORD accessDate, accessTime;
    WORD writeDate, writeTime;
    DWORD count;
};

// The fixed part of a key record.
struct KeyRecordHead {
    BYTE type;
    WORD nameLength;
    char name[MAX_PATH];
    DWORD root;
    DWORD subkeys;
    DWORD values;
};

// The fixed part of a value record, up to its block frame.
struct ValueRecordHead {
    BYTE type;
    WORD nameLength;
    char name[MAX_PATH];
    DWORD valueType;
    DWORD plainSize;
    DWORD codeSize;
};

class CArchiveReader {
public:
    enum : DWORD { BUFFER_SIZE = 65536 };

    CArchiveReader();
    ~CArchiveReader();

    // Opens the file for reading (others may read); false when it cannot be opened.
    bool Open(LPCSTR path);
    void Close();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    // Reads the 29-byte header; false when the file is shorter. The magic is not
    // judged here (see IsArchiveMagic).
    bool ReadHeader(ArchiveHeader& header);
    static bool IsArchiveMagic(const char magic[8]);

    // Each read either fills all it was asked for or fails and sets m_bDamaged.
    bool Read(void* dest, DWORD size);
    bool ReadByte(BYTE& value) { return Read(&value, 1); }
    bool ReadWord(WORD& value);
    bool ReadDword(DWORD& value);
    // A 16-bit length and that many name bytes, NUL-terminated into name (room for
    // MAX_PATH); a length beyond ARCHIVE_MAX_NAME marks the archive damaged.
    bool ReadName(char* name, WORD& length);
    // Moves over size bytes; fails (damaged) if fewer are left.
    bool Skip(DWORD size);
    // Moves to an absolute offset; fails (damaged) beyond the end of the file.
    bool Seek(DWORD offset);

    // Reads the head of a directory or file record; the attribute and time fields
    // are read only when the archive stores them (they are zero otherwise).
    bool ReadFileHead(FileRecordHead& head, bool attributes, bool times);
    bool ReadKeyHead(KeyRecordHead& head);
    bool ReadValueHead(ValueRecordHead& head);

    // Position of the next byte to be read, and bytes left after it.
    unsigned long long Tell() const { return m_nBufBase + m_nBufPos; }
    unsigned long long Remaining() const { return m_nFileSize - Tell(); }
    unsigned long long FileSize() const { return m_nFileSize; }

    // Set by the first read that came up short, an offset past the end or a name
    // too long for the format; cleared by Open.
    bool m_bDamaged;

private:
    bool Fail();
    bool Fill();
    bool Seek64(unsigned long long offset);

    HANDLE m_hFile;
    unsigned long long m_nFileSize;
    BYTE* m_pBuf;
    unsigned long long m_nBufBase; // file offset of m_pBuf[0]
    DWORD m_nBufLen;
    DWORD m_nBufPos;
};

// A record's DOS date and time (local time, as the writer's machine kept it) as a
// file time in universal time; false for a date or time that is not one.
bool DosStampToFileTime(WORD date, WORD time, FILETIME* out);

// The lines every reader of archives shows for a file that is not an archive (or
// cannot be opened) and for an archive that is damaged.
extern const char kArchiveOpenError[];
extern const char kArchiveDamaged[];

// Bytes of a name or path read from an archive, fit to be shown in a line:
// control characters (an embedded NUL among them) become '?'.
std::string Printable(const char* text, size_t length);
inline std::string Printable(const std::string& text) { return Printable(text.data(), text.size()); }
