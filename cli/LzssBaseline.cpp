#include "cli/LzssBaseline.h"

#include <cstring>

int CLzssBaseline::GetByte()
{
    if (m_left == 0)
        return -1;
    m_left--;
    return *m_in++;
}

void CLzssBaseline::PutByte(int c) { m_out.push_back((unsigned char)c); }

void CLzssBaseline::InitTree()
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

void CLzssBaseline::InsertNode(int r)
{
    int i, p, cmp = 1;
    unsigned char* key = &m_ring[r];
    p = N + 1 + key[0];
    m_rson[r] = m_lson[r] = NIL;
    m_matchLength = 0;
    for (;;) {
        if (cmp >= 0) {
            if (m_bCancel)
                return;
            if (m_rson[p] != NIL)
                p = m_rson[p];
            else {
                m_rson[p] = r;
                m_dad[r] = p;
                return;
            }
        } else {
            if (m_lson[p] != NIL)
                p = m_lson[p];
            else {
                m_lson[p] = r;
                m_dad[r] = p;
                return;
            }
        }
        for (i = 1; i < F; i++)
            if ((cmp = key[i] - m_ring[p + i]) != 0)
                break;
        if (i > m_matchLength) {
            m_matchPosition = p;
            if ((m_matchLength = i) >= F)
                break;
        }
    }
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

void CLzssBaseline::DeleteNode(int p)
{
    int q;
    if (m_dad[p] == NIL)
        return;
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

void CLzssBaseline::Encode()
{
    int i, c, len, r, s, last, codeptr;
    unsigned char code[17], mask;
    InitTree();
    code[0] = 0;
    codeptr = mask = 1;
    s = 0;
    r = N - F;
    for (i = s; i < r; i++) {
        if (m_bCancel)
            return;
        m_ring[i] = ' ';
    }
    std::memset(m_ring + r, 0, sizeof(m_ring) - r);
    for (len = 0; len < F && (c = GetByte()) != -1; len++) {
        m_ring[r + len] = (unsigned char)c;
        if (m_bCancel)
            return;
    }
    if (len == 0)
        return;
    for (i = 1; i <= F; i++) {
        if (m_bCancel)
            return;
        InsertNode(r - i);
    }
    InsertNode(r);
    if (m_bCancel)
        return;
    do {
        if (m_matchLength > len)
            m_matchLength = len;
        if (m_matchLength <= THRESHOLD) {
            m_matchLength = 1;
            code[0] |= mask;
            code[codeptr++] = m_ring[r];
        } else {
            code[codeptr++] = (unsigned char)m_matchPosition;
            code[codeptr++] =
                (unsigned char)(((m_matchPosition >> 4) & 0xF0) | (m_matchLength - (THRESHOLD + 1)));
        }
        if ((mask <<= 1) == 0) {
            for (i = 0; i < codeptr; i++)
                PutByte(code[i]);
            code[0] = 0;
            codeptr = mask = 1;
        }
        last = m_matchLength;
        for (i = 0; i < last && (c = GetByte()) != -1; i++) {
            if (m_bCancel)
                return;
            DeleteNode(s);
            m_ring[s] = (unsigned char)c;
            if (s < F - 1)
                m_ring[s + N] = (unsigned char)c;
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            InsertNode(r);
        }
        while (i++ < last) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len)
                InsertNode(r);
        }
        if (len > 0 && m_bCancel)
            return;
    } while (len > 0);
    if (codeptr > 1)
        for (i = 0; i < codeptr; i++)
            PutByte(code[i]);
}

void CLzssBaseline::Decode()
{
    int i, j, k, r, c;
    unsigned int flags;
    for (i = 0; i < N - F; i++)
        m_ring[i] = ' ';
    r = N - F;
    flags = 0;
    if (m_bCancel)
        return;
    for (;;) {
        if (((flags >>= 1) & 256) == 0) {
            if ((c = GetByte()) == -1)
                break;
            flags = c | 0xff00;
        }
        if (flags & 1) {
            if ((c = GetByte()) == -1)
                break;
            PutByte(c);
            m_ring[r++] = (unsigned char)c;
            r &= (N - 1);
        } else {
            if ((i = GetByte()) == -1)
                break;
            if ((j = GetByte()) == -1)
                break;
            i |= ((j & 0xf0) << 4);
            j = (j & 0x0f) + THRESHOLD;
            for (k = 0; k <= j; k++) {
                if (m_bCancel)
                    return;
                c = m_ring[(i + k) & (N - 1)];
                PutByte(c);
                m_ring[r++] = (unsigned char)c;
                r &= (N - 1);
            }
        }
        if (m_bCancel)
            return;
    }
}
