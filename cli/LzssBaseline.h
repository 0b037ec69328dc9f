// The plain reference coder: the same LZSS algorithm written out directly, byte
// at a time, with every byte through a virtual call, the match comparison one
// byte at a time and the cancel flag polled where the codec polls it. It is
// shaped to be obviously right rather than fast: the tuned codec (CLZSS and the
// stream decoder of CCompress) must produce exactly its code and its decodings,
// which the codec tests, the fuzz target and "zmcli lzss bench" check, and the
// benchmark measures the tuned code against it.
#pragma once

#include <cstddef>
#include <vector>

class CLzssBaseline {
public:
    CLzssBaseline(const unsigned char* in, size_t size) : m_in(in), m_left(size) {}
    virtual ~CLzssBaseline() {}

    virtual int GetByte();
    virtual void PutByte(int c);

    void Encode();
    void Decode();

    std::vector<unsigned char> m_out;

private:
    enum { N = 4096, F = 18, THRESHOLD = 2, NIL = N };
    void InitTree();
    void InsertNode(int r);
    void DeleteNode(int p);

    const unsigned char* m_in;
    size_t m_left;
    unsigned char m_ring[N + F - 1];
    int m_matchPosition = 0, m_matchLength = 0;
    int m_lson[N + 1], m_rson[N + 257], m_dad[N + 1];
    volatile unsigned char m_bCancel = 0;
};
