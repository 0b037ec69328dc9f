// LZSS codec: 4096-byte ring, matches of 3..18 bytes, binary-tree match finder with
// one tree per first byte, a flag byte before every group of eight items. The code
// is fixed to the bit: the DOS restore utility decodes the same streams.
//
// This is the tuned side of the codec; the plain coder (cli/LzssBaseline) is the
// reference it must match byte for byte, and the codec tests and the fuzz target
// compare the two on every input. Why it is shaped as it is: archiving spends
// most of its time in the match finder, so the tree code compares eight key
// bytes at a time (big-endian words), keeps node numbers as size_t so ring
// offsets fold into the loads, and turns the data-dependent choices of the walk
// into conditional moves; a repeat that goes on replaces nodes without a walk.
// Decoding for the engines is not done here but by CCompress's stream decoder,
// which writes straight into the output without the ring.
//
// Bytes come in through GetByte and go out through PutByte, one at a time. The
// coding loops are templates over a byte source/sink so that a derived class with
// cheap, known I/O (CCompress) runs them with its I/O inlined; Encode and Decode run
// them through the virtual pair and give the same code for the same bytes.
#pragma once

#include "framework/WinThread.h"

#include <cstring>

class CLZSS : public CWinThread {
    DECLARE_DYNCREATE(CLZSS)
public:
    enum { N = 4096, F = 18, THRESHOLD = 2, NIL = N, START = N - F };
    // A valid code never decodes to more than 144 bytes per 17 code bytes (a flag
    // byte and eight longest matches): a plain size beyond this many times the
    // code size cannot be right.
    enum { MAX_EXPANSION = 9 };

    CLZSS();

    // Next input byte 0..255, or -1 at the end of the input.
    virtual int GetByte();
    // Consumes one output byte (the low 8 bits of c).
    virtual void PutByte(int c);

    void Encode();
    void Decode();

    DWORD m_codeSize;
    BYTE m_ring[N + F - 1];
    int m_matchPosition;
    int m_matchLength;
    int m_lson[N + 1];
    int m_rson[N + 257];
    int m_dad[N + 1];
    volatile BYTE m_bCancel;

protected:
    template <class Io> void EncodeWith(Io& io);
    template <class Io> void DecodeWith(Io& io);

private:
    struct VirtualIo {
        CLZSS* self;
        int Get() { return self->GetByte(); }
        void Put(int c) { self->PutByte(c); }
    };

    void InitTree();
    void InsertNode(int r);
    void DeleteNode(int p);
    // r takes the place in the tree of p, whose key is the same.
    void ReplaceNode(int p, int r);

    // The node the last InsertNode replaced, or -1: a repeat that goes on
    // replaces the node after it next.
    int m_replaced;
};

template <class Io> void CLZSS::EncodeWith(Io& io)
{
    m_codeSize = 0;
    InitTree();
    BYTE group[17];
    group[0] = 0;
    unsigned mask = 1, fill = 1;
    int s = 0, r = START;

    for (int i = 0; i < START; i++) {
        if (m_bCancel)
            return;
        m_ring[i] = ' ';
    }
    // The look-ahead and the mirror start cleared, so that a block's code depends
    // on its own bytes only.
    std::memset(m_ring + START, 0, sizeof(m_ring) - START);

    int len = 0;
    for (; len < F; len++) {
        int c = io.Get();
        if (c < 0)
            break;
        m_ring[r + len] = (BYTE)c;
        if (m_bCancel)
            return;
    }
    if (len == 0)
        return;
    for (int i = 1; i <= F; i++) {
        if (m_bCancel)
            return;
        InsertNode(r - i);
    }
    InsertNode(r);
    if (m_bCancel)
        return;

    while (len > 0) {
        if (m_matchLength > len)
            m_matchLength = len;
        if (m_matchLength <= THRESHOLD) {
            m_matchLength = 1;
            group[0] |= (BYTE)mask;
            group[fill++] = m_ring[r];
        } else {
            group[fill++] = (BYTE)m_matchPosition;
            group[fill++] = (BYTE)(((m_matchPosition >> 4) & 0xF0) | (m_matchLength - (THRESHOLD + 1)));
        }
        mask = (mask << 1) & 0xFF;
        if (mask == 0) {
            for (unsigned i = 0; i < fill; i++)
                io.Put(group[i]);
            m_codeSize += fill;
            group[0] = 0;
            mask = fill = 1;
        }
        int last = m_matchLength;
        int i = 0;
        for (; i < last; i++) {
            int c = io.Get();
            if (c < 0)
                break;
            if (m_bCancel)
                return;
            DeleteNode(s);
            m_ring[s] = (BYTE)c;
            if (s < F - 1)
                m_ring[s + N] = (BYTE)c;
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            InsertNode(r);
        }
        for (; i < last; i++) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len)
                InsertNode(r);
        }
        if (len > 0 && m_bCancel)
            return;
    }
    if (fill > 1) {
        for (unsigned i = 0; i < fill; i++)
            io.Put(group[i]);
        m_codeSize += fill;
    }
}

template <class Io> void CLZSS::DecodeWith(Io& io)
{
    m_codeSize = 0;
    std::memset(m_ring, ' ', START);
    // A valid code never reads the rest before writing it; clearing it makes the
    // output of a damaged code independent of earlier blocks too.
    std::memset(m_ring + START, 0, sizeof(m_ring) - START);
    unsigned r = START;
    unsigned flags = 0;
    if (m_bCancel)
        return;
    for (;;) {
        flags >>= 1;
        if (!(flags & 0x100)) {
            int c = io.Get();
            if (c < 0)
                return;
            flags = (unsigned)c | 0xFF00;
        }
        if (flags & 1) {
            int c = io.Get();
            if (c < 0)
                return;
            io.Put(c);
            m_ring[r] = (BYTE)c;
            r = (r + 1) & (N - 1);
        } else {
            int i = io.Get();
            if (i < 0)
                return;
            int j = io.Get();
            if (j < 0)
                return;
            unsigned pos = (unsigned)i | (((unsigned)j & 0xF0) << 4);
            int count = (j & 0x0F) + THRESHOLD;
            for (int k = 0; k <= count; k++) {
                if (m_bCancel)
                    return;
                BYTE c = m_ring[(pos + k) & (N - 1)];
                io.Put(c);
                m_ring[r] = c;
                r = (r + 1) & (N - 1);
            }
        }
        if (m_bCancel)
            return;
    }
}
