#include "compress/LZSS.h"

IMPLEMENT_DYNCREATE(CLZSS, CWinThread)

CLZSS::CLZSS() : m_codeSize(0), m_matchPosition(0), m_matchLength(0), m_bCancel(0)
{
    std::memset(m_ring, 0, sizeof(m_ring));
    std::memset(m_lson, 0, sizeof(m_lson));
    std::memset(m_rson, 0, sizeof(m_rson));
    std::memset(m_dad, 0, sizeof(m_dad));
}

int CLZSS::GetByte() { return -1; }

void CLZSS::PutByte(int) {}

void CLZSS::Encode()
{
    VirtualIo io{this};
    EncodeWith(io);
}

void CLZSS::Decode()
{
    VirtualIo io{this};
    DecodeWith(io);
}

void CLZSS::InitTree()
{
    for (int i = N + 1; i <= N + 256; i++) {
        if (m_bCancel)
            return;
        m_rson[i] = NIL;
    }
    for (int i = 0; i < N; i++) {
        if (m_bCancel)
            return;
        m_dad[i] = NIL;
    }
}

void CLZSS::InsertNode(int r)
{
    const BYTE* key = &m_ring[r];
    int cmp = 1;
    int p = N + 1 + key[0];
    m_rson[r] = m_lson[r] = NIL;
    // The best match is kept in locals while walking: the tree stores could
    // otherwise alias the members and force them through memory.
    int bestLength = 0, bestPosition = m_matchPosition;
    for (;;) {
        int* link;
        if (cmp >= 0) {
            if (m_bCancel) {
                m_matchLength = bestLength;
                m_matchPosition = bestPosition;
                return;
            }
            link = &m_rson[p];
        } else {
            link = &m_lson[p];
        }
        int next = *link;
        if (next == NIL) {
            *link = r;
            m_dad[r] = p;
            m_matchLength = bestLength;
            m_matchPosition = bestPosition;
            return;
        }
        p = next;
        int i = MatchLength(key, &m_ring[p], cmp);
        if (i > bestLength) {
            bestPosition = p;
            if ((bestLength = i) >= F)
                break;
        }
    }
    m_matchLength = bestLength;
    m_matchPosition = bestPosition;
    m_dad[r] = m_dad[p];
    m_lson[r] = m_lson[p];
    m_rson[r] = m_rson[p];
    m_dad[m_lson[p]] = r;
    m_dad[m_rson[p]] = r;
    if (m_rson[m_dad[p]] == p)
        m_rson[m_dad[p]] = r;
    else
        m_lson[m_dad[p]] = r;
    m_dad[p] = NIL;
}

void CLZSS::DeleteNode(int p)
{
    if (m_dad[p] == NIL)
        return;
    int q;
    if (m_rson[p] == NIL)
        q = m_lson[p];
    else if (m_lson[p] == NIL)
        q = m_rson[p];
    else {
        q = m_lson[p];
        if (m_rson[q] != NIL) {
            do
                q = m_rson[q];
            while (m_rson[q] != NIL);
            m_rson[m_dad[q]] = m_lson[q];
            m_dad[m_lson[q]] = m_dad[q];
            m_lson[q] = m_lson[p];
            m_dad[m_lson[p]] = q;
        }
        m_rson[q] = m_rson[p];
        m_dad[m_rson[p]] = q;
    }
    m_dad[q] = m_dad[p];
    if (m_rson[m_dad[p]] == p)
        m_rson[m_dad[p]] = q;
    else
        m_lson[m_dad[p]] = q;
    m_dad[p] = NIL;
}
