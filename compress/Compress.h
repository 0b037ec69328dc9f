// Compressed stream: feeds the codec from memory (or from a file in pieces), sends
// its output to a file through a 4 MiB buffer or into a memory block, frames each
// block with its plain and code sizes, and reports the item's progress in tenths.
//
// Encoding runs the codec's loops with this stream's I/O inlined, in the codec's
// m_encodeMode (the classic greedy coder unless set). Decoding, which
// is what a restore waits for, runs DecodeFast: the same decoding without the
// ring, copying matches out of the output already written and literals by runs.
// It is the tuned twin of CLZSS::DecodeWith and gives exactly its bytes and
// counts, also for damaged code; the codec tests check the two against each
// other and against the plain reference coder. "zmcli lzss e" and "d" run these
// same paths (CompressFile, ExpandToFile).
#pragma once

#include "base/JobOutput.h"
#include "compress/LZSS.h"

#include <vector>

class CCompress : public CLZSS {
    DECLARE_DYNCREATE(CCompress)
public:
    enum : DWORD { OUT_BUFFER_SIZE = 4194304 };

    CCompress();
    ~CCompress() override;

    int GetByte() override;
    void PutByte(int c) override;

    // Appends one block (plain size, code size, code) holding the file's contents.
    int CompressFile(LPCSTR path, HANDLE archive);
    // Appends one block holding size bytes at data.
    int CompressBlock(HANDLE archive, const BYTE* data, DWORD size);
    // Codes size bytes at data into code (resized to the code's length): exactly
    // the code that CompressBlock frames. Touches no file and no output, so that
    // several streams may code at once on threads of their own. False when
    // cancelled or out of memory.
    bool CompressToMemory(const BYTE* data, DWORD size, std::vector<BYTE>& code);
    // Creates the file at path and writes the decoding of codeSize code bytes into
    // it; bytes beyond plainSize are not written (m_nOut then exceeds plainSize).
    int ExpandToFile(const BYTE* code, DWORD codeSize, LPCSTR path, DWORD plainSize);
    // The same into a file the caller has opened for writing (and closes); an
    // invalid handle decodes with m_bWriteError set.
    int ExpandToHandle(const BYTE* code, DWORD codeSize, HANDLE file, DWORD plainSize);
    // Decodes into dest, which holds destSize bytes; *outCount receives the number
    // of bytes the code produced, more than destSize when the code is corrupt
    // (nothing is written past dest + destSize).
    int ExpandToMemory(const BYTE* code, BYTE* dest, DWORD codeSize, DWORD* outCount,
                       DWORD destSize = 0xFFFFFFFF);

    HANDLE m_hFile;
    const BYTE* m_pIn;
    BYTE* m_pOut;
    DWORD m_nInLeft;
    DWORD m_nOut;
    DWORD m_nTotal;
    signed char m_nOutMode;
    BYTE* m_pOutBuf;
    DWORD m_nOutBufFill;
    // Where the item's progress goes (SetItemProgress); may be null.
    CJobOutput* m_pOutput;

    // Set when a write to m_hFile failed or its buffer could not be allocated;
    // cleared at the start of each operation that writes a file.
    BOOL m_bWriteError;
    // CRC-32 of the plain bytes of the last block coded (CompressFile,
    // CompressBlock, CompressToMemory) or decoded (ExpandToFile, ExpandToHandle:
    // the bytes written; ExpandToMemory: the bytes stored in dest).
    DWORD m_nPlainCrc;
    // Set by CompressFile when the file gave fewer bytes than its size said (the
    // block's plain size is then patched to the bytes actually stored).
    BOOL m_bShortRead;

    // Last item-progress value shown, shared by every stream of the process.
    static DWORD s_nLastTenth;
    // Largest piece of a file held in memory at once while compressing it (a
    // larger file is read piece by piece: the code is the same).
    static DWORD s_nMaxPiece;

protected:
    void ResetProgress();

private:
    struct StreamIo;
    friend struct StreamIo;

    void BeginInput(const BYTE* data, DWORD size);
    void UpdateProgress();
    bool Refill();
    void FlushOut();
    void WriteArchive(HANDLE h, const void* data, DWORD size);
    unsigned long long EndOf(HANDLE h);
    void PatchAt(HANDLE h, unsigned long long pos, DWORD value);
    void EncodeInto(HANDLE archive);
    void DecodeFast();
    DWORD RoomAt(BYTE* out, DWORD produced) const;
    bool MakeRoom(BYTE*& out, DWORD produced, DWORD& room);
    bool AllocOutBuf();
    void FreeOutBuf();

    // Input read from a file in pieces when it is not all in memory.
    HANDLE m_hSource;
    BYTE* m_pPiece;
    DWORD m_nPieceSize;
    DWORD m_nPieceLeft;
    DWORD m_nSourceRead;
    // Progress: total input of the operation, and the m_nInLeft at which the next
    // tenth is reached.
    DWORD m_nProgressTotal;
    DWORD m_nProgressMark;
    // Output limit: bytes past it are counted, not stored, and end the decoding.
    DWORD m_nOutLimit;
    bool m_bOverflow;
    // While decoding into a file: what is flushed is plain output, summed into
    // m_nPlainCrc.
    bool m_bSumOutput;
};
