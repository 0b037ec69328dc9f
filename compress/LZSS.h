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
#include <vector>

class CLZSS : public CWinThread {
    DECLARE_DYNCREATE(CLZSS)
public:
    enum { N = 4096, F = 18, THRESHOLD = 2, NIL = N, START = N - F };
    // A valid code never decodes to more than 144 bytes per 17 code bytes (a flag
    // byte and eight longest matches): a plain size beyond this many times the
    // code size cannot be right.
    enum { MAX_EXPANSION = 9 };

    // How Encode chooses its items; both make code of the one format. GREEDY, the
    // default, is the classic coder: the longest match at each step. OPTIMAL
    // finds the cheapest items over the same match finder: a literal costs nine
    // bits and a match seventeen whatever its length, and any shorter length at
    // a position is a match too, so the longest match at every position (read
    // in a forward pass) is all a backward pass needs to pick the cheapest code
    // exactly. The input goes in pieces of s_nParsePiece positions; a piece's
    // last eighth is chosen again with the next piece, so that the seams cost
    // nothing in practice and the memory stays the same for any input.
    enum EncodeMode { ENCODE_GREEDY = 0, ENCODE_OPTIMAL = 1 };

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
    // Encode's choice of items (GREEDY unless set); it is kept from call to call.
    EncodeMode m_encodeMode;

    // Positions the optimal coder holds at once (64 at least); tests lower it to
    // put many seams into small inputs.
    static DWORD s_nParsePiece;

protected:
    template <class Io> void EncodeWith(Io& io);
    template <class Io> void DecodeWith(Io& io);

private:
    // The group being filled: the flag byte and up to eight items.
    struct CodeGroup {
        BYTE bytes[17];
        unsigned mask = 1, fill = 1;
        CodeGroup() { bytes[0] = 0; }
        void Literal(BYTE c)
        {
            bytes[0] |= (BYTE)mask;
            bytes[fill++] = c;
        }
        void Match(int position, int length)
        {
            bytes[fill++] = (BYTE)position;
            bytes[fill++] = (BYTE)(((position >> 4) & 0xF0) | (length - (THRESHOLD + 1)));
        }
        // After every item: a full group goes out at once.
        template <class Io> void Next(Io& io, DWORD& codeSize)
        {
            mask = (mask << 1) & 0xFF;
            if (mask == 0)
                Flush(io, codeSize);
        }
        // At the end: the last group if it holds an item.
        template <class Io> void Finish(Io& io, DWORD& codeSize)
        {
            if (fill > 1)
                Flush(io, codeSize);
        }
        template <class Io> void Flush(Io& io, DWORD& codeSize)
        {
            for (unsigned i = 0; i < fill; i++)
                io.Put(bytes[i]);
            codeSize += fill;
            bytes[0] = 0;
            mask = fill = 1;
        }
    };

    // One position of the optimal coder's piece.
    struct ParseCell {
        DWORD cost;    // bits from here to the piece's end, the cheapest way
        WORD position; // ring position of the longest match here
        BYTE length;   // its length, at most the input left
        BYTE literal;  // the byte here
        BYTE choice;   // the item chosen here: 1 a literal, else a match's length
    };

    // Clears the tree and the ring and reads the first look-ahead; the bytes
    // read, 0 when there is nothing to code (or the job was cancelled).
    template <class Io> int BeginEncode(Io& io);
    // One position on: the oldest ring byte makes way for the next input byte,
    // or, once the input has ended, the look-ahead shrinks by one. False when
    // the job was cancelled.
    template <class Io> bool Slide(Io& io, int& s, int& r, int& len);
    template <class Io> void EncodeGreedyWith(Io& io);
    template <class Io> void EncodeOptimalWith(Io& io);
    // Sizes the piece to s_nParsePiece; false when its memory cannot be had
    // (the greedy coder then codes the block).
    bool ReserveParse();
    // The cheapest items over cells 0..count-1, the piece ending at count.
    void ChooseParse(DWORD count);
    static DWORD PieceMargin(DWORD piece) { return piece / 8; }

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
    // The optimal coder's piece, one cell more than its positions.
    std::vector<ParseCell> m_parse;
};

template <class Io> void CLZSS::EncodeWith(Io& io)
{
    if (m_encodeMode == ENCODE_OPTIMAL && ReserveParse())
        EncodeOptimalWith(io);
    else
        EncodeGreedyWith(io);
}

template <class Io> int CLZSS::BeginEncode(Io& io)
{
    m_codeSize = 0;
    InitTree();
    for (int i = 0; i < START; i++) {
        if (m_bCancel)
            return 0;
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
        m_ring[START + len] = (BYTE)c;
        if (m_bCancel)
            return 0;
    }
    if (len == 0)
        return 0;
    for (int i = 1; i <= F; i++) {
        if (m_bCancel)
            return 0;
        InsertNode(START - i);
    }
    InsertNode(START);
    if (m_bCancel)
        return 0;
    return len;
}

template <class Io> bool CLZSS::Slide(Io& io, int& s, int& r, int& len)
{
    int c = io.Get();
    if (c >= 0) {
        if (m_bCancel)
            return false;
        DeleteNode(s);
        m_ring[s] = (BYTE)c;
        if (s < F - 1)
            m_ring[s + N] = (BYTE)c;
        s = (s + 1) & (N - 1);
        r = (r + 1) & (N - 1);
        InsertNode(r);
        return true;
    }
    // The input has ended: the look-ahead shrinks.
    DeleteNode(s);
    s = (s + 1) & (N - 1);
    r = (r + 1) & (N - 1);
    if (--len)
        InsertNode(r);
    return true;
}

template <class Io> void CLZSS::EncodeGreedyWith(Io& io)
{
    int len = BeginEncode(io);
    if (len == 0)
        return;
    CodeGroup group;
    int s = 0, r = START;
    while (len > 0) {
        if (m_matchLength > len)
            m_matchLength = len;
        if (m_matchLength <= THRESHOLD) {
            m_matchLength = 1;
            group.Literal(m_ring[r]);
        } else {
            group.Match(m_matchPosition, m_matchLength);
        }
        group.Next(io, m_codeSize);
        const int last = m_matchLength;
        for (int i = 0; i < last; i++)
            if (!Slide(io, s, r, len))
                return;
        if (len > 0 && m_bCancel)
            return;
    }
    group.Finish(io, m_codeSize);
}

template <class Io> void CLZSS::EncodeOptimalWith(Io& io)
{
    int len = BeginEncode(io);
    if (len == 0)
        return;
    CodeGroup group;
    int s = 0, r = START;
    ParseCell* const cells = m_parse.data();
    const DWORD piece = (DWORD)m_parse.size() - 1;
    DWORD count = 0;
    for (;;) {
        // Forward: the longest match at every position, while the piece has room.
        while (len > 0 && count < piece) {
            ParseCell& cell = cells[count++];
            cell.length = (BYTE)(m_matchLength < len ? m_matchLength : len);
            cell.position = (WORD)m_matchPosition;
            cell.literal = m_ring[r];
            if (!Slide(io, s, r, len))
                return;
        }
        if (m_bCancel)
            return;
        // Backward: the cheapest items from each position to the end of the
        // piece; then out with them, up to the margin unless the input is done.
        const bool done = len == 0;
        ChooseParse(count);
        const DWORD stop = done ? count : count - PieceMargin(piece);
        DWORD i = 0;
        while (i < stop) {
            const ParseCell& cell = cells[i];
            if (cell.choice == 1)
                group.Literal(cell.literal);
            else
                group.Match(cell.position, cell.choice);
            group.Next(io, m_codeSize);
            i += cell.choice;
        }
        if (done)
            break;
        // The margin's positions are chosen again, from the next piece's end.
        std::memmove(cells, cells + i, (count - i) * sizeof(ParseCell));
        count -= i;
    }
    group.Finish(io, m_codeSize);
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
