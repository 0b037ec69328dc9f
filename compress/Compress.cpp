#include "compress/Compress.h"

#include "base/Crc32.h"

#include <cstdio>
#include <cstring>
#include <new>

IMPLEMENT_DYNCREATE(CCompress, CLZSS)

DWORD CCompress::s_nLastTenth = 0;

DWORD CCompress::s_nMaxPiece = 16u << 20;

// Inlined twin of GetByte/PutByte for the coding loops.
struct CCompress::StreamIo {
    CCompress& s;
    int Get()
    {
        if (s.m_bCancel)
            return -1;
        if (s.m_nInLeft <= s.m_nProgressMark)
            s.UpdateProgress();
        if (s.m_nInLeft == 0 || s.m_bOverflow)
            return -1;
        if (s.m_nPieceLeft == 0 && !s.Refill())
            return -1;
        s.m_nPieceLeft--;
        s.m_nInLeft--;
        return *s.m_pIn++;
    }
    void Put(int c)
    {
        if (s.m_bCancel)
            return;
        if (s.m_nOut >= s.m_nOutLimit) {
            s.m_bOverflow = true;
            s.m_nOut = s.m_nOutLimit + 1;
            return;
        }
        if (s.m_nOutMode == 1) {
            s.m_pOut[s.m_nOut] = (BYTE)c;
        } else {
            if (s.m_nOutBufFill >= OUT_BUFFER_SIZE)
                s.FlushOut();
            if (s.m_pOutBuf)
                s.m_pOutBuf[s.m_nOutBufFill++] = (BYTE)c;
        }
        s.m_nOut++;
    }
};

CCompress::CCompress()
    : m_hFile(INVALID_HANDLE_VALUE), m_pIn(nullptr), m_pOut(nullptr), m_nInLeft(0), m_nOut(0),
      m_nTotal(0), m_nOutMode(0), m_pOutBuf(nullptr), m_nOutBufFill(0), m_pOutput(nullptr), m_bWriteError(FALSE), m_bShortRead(FALSE),
      m_hSource(INVALID_HANDLE_VALUE), m_pPiece(nullptr), m_nPieceSize(0), m_nPieceLeft(0),
      m_nSourceRead(0),
      m_nProgressTotal(0), m_nProgressMark(0), m_nOutLimit(0xFFFFFFFF), m_bOverflow(false), m_bSumOutput(false)
{
    m_nPlainCrc = 0;
}

CCompress::~CCompress()
{
    FreeOutBuf();
    delete[] m_pPiece;
}

bool CCompress::AllocOutBuf()
{
    // The buffer keeps the last N bytes written before it, which the decoder reads
    // as its history after a flush.
    BYTE* base = new (std::nothrow) BYTE[N + OUT_BUFFER_SIZE];
    m_pOutBuf = base ? base + N : nullptr;
    m_nOutBufFill = 0;
    if (!base)
        m_bWriteError = TRUE;
    return base != nullptr;
}

void CCompress::FreeOutBuf()
{
    if (m_pOutBuf)
        delete[] (m_pOutBuf - N);
    m_pOutBuf = nullptr;
}

int CCompress::GetByte()
{
    StreamIo io{*this};
    return io.Get();
}

void CCompress::PutByte(int c)
{
    StreamIo io{*this};
    io.Put(c);
}

void CCompress::BeginInput(const BYTE* data, DWORD size)
{
    m_pIn = data;
    m_nInLeft = size;
    m_nPieceLeft = data ? size : 0;
    m_nProgressTotal = size ? size : 1;
    m_nProgressMark = 0xFFFFFFFF; // the first read shows the starting tenth
    m_nOutLimit = 0xFFFFFFFF;
    m_bOverflow = false;
}

void CCompress::UpdateProgress()
{
    // tenth = (10 T - 10 L) / T, in 64 bits so that large items do not wrap.
    unsigned long long t = m_nProgressTotal;
    unsigned long long l = m_nInLeft;
    DWORD tenth = l > t ? 0 : (DWORD)((10 * t - 10 * l) / t);
    if (tenth < 10) {
        // The next tenth is reached once L <= T - ceil((tenth + 1) T / 10).
        unsigned long long need = ((tenth + 1) * t + 9) / 10;
        m_nProgressMark = need > t ? 0 : (DWORD)(t - need);
    } else {
        m_nProgressMark = 0;
    }
    // Streams without an output (coding on helper threads) leave the shared
    // last value alone.
    if (!m_pOutput)
        return;
    if (tenth == s_nLastTenth)
        return;
    s_nLastTenth = tenth;
    if (m_pOutput && !m_bCancel)
        m_pOutput->SetItemProgress((int)tenth);
}

void CCompress::ResetProgress()
{
    if (m_pOutput && !m_bCancel)
        m_pOutput->SetItemProgress(-1);
}

bool CCompress::Refill()
{
    if (m_hSource == INVALID_HANDLE_VALUE || !m_pPiece)
        return false;
    DWORD want = m_nInLeft < m_nPieceSize ? m_nInLeft : m_nPieceSize;
    DWORD got = 0;
    if (!ReadFile(m_hSource, m_pPiece, want, &got, nullptr) || got == 0) {
        m_nInLeft = 0; // the file ended early: its input ends here
        m_bShortRead = TRUE;
        return false;
    }
    m_nSourceRead += got;
    m_nPlainCrc = Crc32(m_nPlainCrc, m_pPiece, got);
    m_pIn = m_pPiece;
    m_nPieceLeft = got;
    if (got < want) {
        // Take only what is there: the input then ends after this piece.
        m_bShortRead = TRUE;
        m_nInLeft = got;
    }
    return true;
}

void CCompress::WriteArchive(HANDLE h, const void* data, DWORD size)
{
    DWORD written = 0;
    if (!WriteFile(h, data, size, &written, nullptr) || written != size)
        m_bWriteError = TRUE;
}

unsigned long long CCompress::EndOf(HANDLE h)
{
    LONG high = 0;
    DWORD low = SetFilePointer(h, 0, &high, FILE_END);
    return ((unsigned long long)(DWORD)high << 32) | low;
}

void CCompress::PatchAt(HANDLE h, unsigned long long pos, DWORD value)
{
    // 64-bit positions: a block may start past 2 GiB in a large archive.
    LONG high = (LONG)(pos >> 32);
    if (SetFilePointer(h, (LONG)(DWORD)pos, &high, FILE_BEGIN) != (DWORD)pos) {
        m_bWriteError = TRUE;
        return;
    }
    WriteArchive(h, &value, 4);
    high = 0;
    SetFilePointer(h, 0, &high, FILE_END);
}

void CCompress::FlushOut()
{
    if (m_pOutBuf && m_nOutBufFill) {
        if (m_bSumOutput)
            m_nPlainCrc = Crc32(m_nPlainCrc, m_pOutBuf, m_nOutBufFill);
        WriteArchive(m_hFile, m_pOutBuf, m_nOutBufFill);
        if (m_nOutBufFill >= (DWORD)N)
            std::memcpy(m_pOutBuf - N, m_pOutBuf + m_nOutBufFill - N, N);
    }
    m_nOutBufFill = 0;
}

void CCompress::EncodeInto(HANDLE archive)
{
    // Placeholder for the code size, found again by the archive's size.
    unsigned long long codeSizePos = EndOf(archive);
    DWORD zero = 0;
    WriteArchive(archive, &zero, 4);

    AllocOutBuf();
    if (!m_bCancel) {
        StreamIo io{*this};
        EncodeWith(io);
    }
    FlushOut();
    FreeOutBuf();
    ResetProgress();

    PatchAt(archive, codeSizePos, m_nOut);
}

int CCompress::CompressFile(LPCSTR path, HANDLE archive)
{
    if (m_bCancel)
        return 0;
    m_hFile = archive;
    m_nOut = 0;
    m_nOutMode = 0;
    m_bWriteError = FALSE;
    m_bShortRead = FALSE;
    m_nPlainCrc = 0;

    DWORD size = 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        size = GetFileSize(h, nullptr);
        if (size == INVALID_FILE_SIZE)
            size = 0;
    }
    m_nTotal = size;

    unsigned long long plainSizePos = EndOf(archive);
    WriteArchive(archive, &size, 4);
    if (size == 0) {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        DWORD zero = 0;
        WriteArchive(archive, &zero, 4);
        return 0;
    }

    m_nPieceSize = size < s_nMaxPiece ? size : s_nMaxPiece;
    m_pPiece = new (std::nothrow) BYTE[m_nPieceSize];
    while (!m_pPiece && m_nPieceSize > 4096) {
        m_nPieceSize /= 2;
        m_pPiece = new (std::nothrow) BYTE[m_nPieceSize];
    }
    m_hSource = h;
    m_nSourceRead = 0;
    BeginInput(nullptr, size);
    if (!m_pPiece) {
        m_nInLeft = 0;
        m_bShortRead = TRUE;
    }
    EncodeInto(archive);
    DWORD stored = m_nSourceRead;
    m_hSource = INVALID_HANDLE_VALUE;
    CloseHandle(h);
    delete[] m_pPiece;
    m_pPiece = nullptr;

    if (m_bShortRead && !m_bCancel) {
        // The file shrank while it was read: the frame says what is really stored.
        PatchAt(archive, plainSizePos, stored);
    }
    return 0;
}

int CCompress::CompressBlock(HANDLE archive, const BYTE* data, DWORD size)
{
    if (m_bCancel)
        return 0;
    m_hFile = archive;
    m_nOut = 0;
    m_nOutMode = 0;
    m_bWriteError = FALSE;
    m_bShortRead = FALSE;
    m_nTotal = size;
    WriteArchive(archive, &size, 4);
    m_hSource = INVALID_HANDLE_VALUE;
    m_nPlainCrc = Crc32(0, data, size);
    BeginInput(data, size);
    EncodeInto(archive);
    return 0;
}

bool CCompress::CompressToMemory(const BYTE* data, DWORD size, std::vector<BYTE>& code)
{
    if (m_bCancel)
        return false;
    // At worst every byte is a literal: nine bits each, and a last flag byte.
    unsigned long long room = (unsigned long long)size + size / 8 + 16;
    try {
        code.resize((size_t)room);
    } catch (...) {
        return false;
    }
    m_nOutMode = 1;
    m_pOut = code.data();
    m_nOut = 0;
    m_nTotal = size;
    m_hSource = INVALID_HANDLE_VALUE;
    m_nPlainCrc = Crc32(0, data, size);
    BeginInput(data, size);
    m_nOutLimit = (DWORD)room;
    StreamIo io{*this};
    EncodeWith(io);
    m_pOut = nullptr;
    m_nOutMode = 0;
    if (m_bCancel || m_bOverflow)
        return false;
    code.resize(m_nOut);
    return true;
}

int CCompress::ExpandToFile(const BYTE* code, DWORD codeSize, LPCSTR path, DWORD plainSize)
{
    if (m_bCancel)
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ExpandToHandle(code, codeSize, file, plainSize);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (m_bCancel)
        DeleteFileA(path);
    return 0;
}

int CCompress::ExpandToHandle(const BYTE* code, DWORD codeSize, HANDLE file, DWORD plainSize)
{
    if (m_bCancel)
        return 0;
    m_hFile = file;
    m_bWriteError = file == INVALID_HANDLE_VALUE;
    m_nTotal = plainSize;
    m_nOutMode = 0;
    m_nOut = 0;
    m_hSource = INVALID_HANDLE_VALUE;
    BeginInput(code, codeSize);
    m_nOutLimit = plainSize;
    m_nPlainCrc = 0;
    m_bSumOutput = true;
    AllocOutBuf();
    if (m_nTotal < m_nOut)
        m_nTotal = m_nOut;
    if (!m_bCancel)
        DecodeFast();
    FlushOut();
    m_bSumOutput = false;
    FreeOutBuf();
    ResetProgress();
    m_hFile = INVALID_HANDLE_VALUE;
    return 0;
}

int CCompress::ExpandToMemory(const BYTE* code, BYTE* dest, DWORD codeSize, DWORD* outCount,
                              DWORD destSize)
{
    if (m_bCancel)
        return 0;
    m_nOutMode = 1;
    m_pOut = dest;
    m_nOut = 0;
    m_hSource = INVALID_HANDLE_VALUE;
    BeginInput(code, codeSize);
    m_nOutLimit = dest ? destSize : 0;
    if (!m_bCancel)
        DecodeFast();
    ResetProgress();
    m_nPlainCrc = dest ? Crc32(0, dest, m_nOut < destSize ? m_nOut : destSize) : 0;
    if (outCount)
        *outCount = m_nOut;
    return 0;
}

// The decoder of DecodeWith for this stream's input and output, without the ring:
// a match reads the output written before it (the destination block, or the
// output buffer whose last N bytes are kept in front of it across flushes), and
// positions never written read as the ring's starting contents. It gives exactly
// the bytes and counts of the byte-at-a-time decoder, also for damaged code.
void CCompress::DecodeFast()
{
    const BYTE* in = m_pIn;
    const BYTE* const end = m_pIn + m_nInLeft;
    const bool toFile = m_nOutMode == 0;
    BYTE* out = toFile ? m_pOutBuf : m_pOut;
    DWORD produced = 0;
    DWORD room = RoomAt(out, produced);

    while (!m_bCancel) {
        if ((DWORD)(end - in) <= m_nProgressMark) {
            m_nInLeft = (DWORD)(end - in);
            UpdateProgress();
        }
        if (in >= end)
            break;
        unsigned flags = *in++;
        BYTE* const groupStart = out;
        // Eight literals in a row, with input and room for all of them.
        if (flags == 0xFF && end - in >= 8 && room >= 8) {
            std::memcpy(out, in, 8);
            in += 8;
            out += 8;
            room -= 8;
            produced += 8;
            continue;
        }
        if (end - in >= 16 + 8 && room >= 8 * 24 && produced >= N) {
            // Input and room for a whole group and eight bytes more, and a full
            // history behind the output: no bounds to check per item. Literals
            // go by runs, eight bytes copied and as many kept as the flags say,
            // so the branches follow the matches, not every flag bit.
            unsigned items = 8;
            for (;;) {
                const unsigned run = (unsigned)__builtin_ctz(~flags); // at most items
                std::memcpy(out, in, 8);
                in += run;
                out += run;
                items -= run;
                if (!items)
                    break;
                flags >>= run + 1;
                items--;
                unsigned pos = in[0] | ((in[1] & 0xF0u) << 4);
                unsigned len = (in[1] & 0x0Fu) + THRESHOLD + 1;
                in += 2;
                unsigned dist = ((START + produced + (DWORD)(out - groupStart)) - pos) & (N - 1);
                if (!dist)
                    dist = N;
                const BYTE* src = out - dist;
                if (dist >= 8) {
                    std::memcpy(out, src, 8);
                    std::memcpy(out + 8, src + 8, 8);
                    std::memcpy(out + 16, src + 16, 8);
                } else {
                    for (unsigned k = 0; k < len; k++)
                        out[k] = src[k];
                }
                out += len;
                if (!items)
                    break;
            }
            DWORD n = (DWORD)(out - groupStart);
            room -= n;
            produced += n;
            continue;
        }
        for (int item = 0; item < 8; item++, flags >>= 1) {
            if (flags & 1) {
                if (in >= end)
                    goto done;
                if (!room && !MakeRoom(out, produced, room))
                    goto done;
                *out++ = *in++;
                room--;
                produced++;
                continue;
            }
            if (end - in < 2) {
                in = end; // a match without its second byte produces nothing
                goto done;
            }
            unsigned pos = in[0] | ((in[1] & 0xF0u) << 4);
            unsigned len = (in[1] & 0x0Fu) + THRESHOLD + 1;
            in += 2;
            unsigned dist = ((START + produced) - pos) & (N - 1);
            if (!dist)
                dist = N;
            if (produced >= dist && room >= 24 && dist >= 8) {
                // Whole source behind the output, eight bytes at a time; bytes
                // written past len are rewritten by the next items.
                const BYTE* src = out - dist;
                std::memcpy(out, src, 8);
                std::memcpy(out + 8, src + 8, 8);
                std::memcpy(out + 16, src + 16, 8);
            } else if (produced >= dist && room >= len) {
                const BYTE* src = out - dist;
                for (unsigned k = 0; k < len; k++)
                    out[k] = src[k];
            } else {
                for (unsigned k = 0; k < len; k++) {
                    if (!room && !MakeRoom(out, produced, room))
                        goto done;
                    *out = produced >= dist ? out[-(ptrdiff_t)dist]
                                            : (((pos + k) & (N - 1)) < (unsigned)START ? ' ' : 0);
                    out++;
                    room--;
                    produced++;
                }
                continue;
            }
            out += len;
            room -= len;
            produced += len;
        }
    }
done:
    if ((DWORD)(end - in) <= m_nProgressMark && !m_bCancel) {
        m_nInLeft = (DWORD)(end - in);
        UpdateProgress();
    }
    m_pIn = in;
    m_nInLeft = (DWORD)(end - in);
    m_nOut = m_bOverflow ? m_nOutLimit + 1 : produced;
    if (toFile && m_pOutBuf)
        m_nOutBufFill = (DWORD)(out - m_pOutBuf);
}

DWORD CCompress::RoomAt(BYTE* out, DWORD produced) const
{
    DWORD toLimit = m_nOutLimit - produced;
    if (m_nOutMode != 0)
        return toLimit;
    if (!m_pOutBuf)
        return 0;
    DWORD toFlush = OUT_BUFFER_SIZE - (DWORD)(out - m_pOutBuf);
    return toFlush < toLimit ? toFlush : toLimit;
}

bool CCompress::MakeRoom(BYTE*& out, DWORD produced, DWORD& room)
{
    if (produced >= m_nOutLimit) {
        m_bOverflow = true;
        return false;
    }
    if (m_nOutMode != 0 || !m_pOutBuf)
        return false;
    m_nOutBufFill = (DWORD)(out - m_pOutBuf);
    FlushOut();
    out = m_pOutBuf;
    room = RoomAt(out, produced);
    return room > 0;
}
