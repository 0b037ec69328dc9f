#include "compress/LZSS.h"

IMPLEMENT_DYNCREATE(CLZSS, CWinThread)

DWORD CLZSS::s_nParsePiece = 65536;

CLZSS::CLZSS()
    : m_codeSize(0), m_matchPosition(0), m_matchLength(0), m_bCancel(0), m_encodeMode(ENCODE_GREEDY),
      m_replaced(-1)
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

bool CLZSS::ReserveParse()
{
    const DWORD piece = s_nParsePiece < 64 ? 64 : s_nParsePiece;
    if (m_parse.size() == (size_t)piece + 1)
        return true;
    try {
        std::vector<ParseCell>((size_t)piece + 1).swap(m_parse);
    } catch (...) {
        std::vector<ParseCell>().swap(m_parse);
        return false;
    }
    return true;
}

void CLZSS::ChooseParse(DWORD count)
{
    // A literal costs its byte and its flag bit, a match its two bytes and its
    // flag bit. Among equal costs the longest match wins, then a literal.
    enum { LITERAL_BITS = 9, MATCH_BITS = 17 };
    ParseCell* const cells = m_parse.data();
    cells[count].cost = 0;
    for (DWORD i = count; i-- > 0;) {
        ParseCell& cell = cells[i];
        const DWORD left = count - i;
        const int longest = cell.length < left ? cell.length : (int)left;
        DWORD best = 0xFFFFFFFF;
        int choice = 1;
        for (int n = longest; n > THRESHOLD; n--) {
            const DWORD cost = cells[i + n].cost + MATCH_BITS;
            if (cost < best) {
                best = cost;
                choice = n;
            }
        }
        if (cells[i + 1].cost + LITERAL_BITS < best) {
            best = cells[i + 1].cost + LITERAL_BITS;
            choice = 1;
        }
        cell.cost = best;
        cell.choice = (BYTE)choice;
    }
}

void CLZSS::InitTree()
{
    m_replaced = -1;
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

namespace {

// The 8 bytes at p as a big-endian number: two such words order as their first
// differing byte does, and their XOR has that byte as its highest.
inline unsigned long long KeyWord(const BYTE* p)
{
    unsigned long long w;
    std::memcpy(&w, p, 8);
    return __builtin_bswap64(w);
}

// The selects of the tree code. The direction of a step of the walk, whether a
// match is the best so far, the side of a parent link: all are as good as
// random, so on x86 they are conditional moves, never branches that would be
// mispredicted half the time.
enum Condition { ABOVE, GREATER, EQUAL };

// a <C> b ? yes : no; ABOVE compares as unsigned, GREATER as signed numbers.
template <Condition C, class K, class T> inline T Select(K a, K b, T yes, T no)
{
#if defined(__x86_64__) || defined(__i386__)
    if constexpr (sizeof(K) <= sizeof(void*)) {
        if constexpr (C == ABOVE)
            __asm__("cmp %[b], %[a]\n\tcmova %[yes], %[no]"
                    : [no] "+r"(no) : [a] "r"(a), [b] "r"(b), [yes] "r"(yes) : "cc");
        else if constexpr (C == GREATER)
            __asm__("cmp %[b], %[a]\n\tcmovg %[yes], %[no]"
                    : [no] "+r"(no) : [a] "r"(a), [b] "r"(b), [yes] "r"(yes) : "cc");
        else
            __asm__("cmp %[b], %[a]\n\tcmove %[yes], %[no]"
                    : [no] "+r"(no) : [a] "r"(a), [b] "r"(b), [yes] "r"(yes) : "cc");
        return no;
    }
#endif
    return (C == EQUAL ? a == b : a > b) ? yes : no;
}

// Whether the 18-byte keys at a and b are equal.
inline bool SameKey(const BYTE* a, const BYTE* b)
{
    unsigned long long a0, a1, b0, b1;
    unsigned short a2, b2;
    std::memcpy(&a0, a, 8);
    std::memcpy(&b0, b, 8);
    std::memcpy(&a1, a + 8, 8);
    std::memcpy(&b1, b + 8, 8);
    std::memcpy(&a2, a + 16, 2);
    std::memcpy(&b2, b + 16, 2);
    return ((a0 ^ b0) | (a1 ^ b1) | (unsigned long long)(a2 ^ b2)) == 0;
}

} // namespace

void CLZSS::InsertNode(int r)
{
    const BYTE* key = &m_ring[r];
    const int follow = m_replaced;
    m_replaced = -1;
    if (follow >= 0) {
        // Inside a repeat the key often equals that of the node after the one
        // the last insertion replaced. Keys in the tree are unique, so the walk
        // would end at that node with a full match: r takes its place at once.
        const int q = (follow + 1) & (N - 1);
        if (m_dad[q] != NIL && SameKey(key, &m_ring[q])) {
            if (m_bCancel) {
                m_matchLength = 0;
                return;
            }
            m_matchLength = F;
            m_matchPosition = q;
            ReplaceNode(q, r);
            m_replaced = q;
            return;
        }
    }
    m_rson[r] = m_lson[r] = NIL;
    // The best match is kept in locals while walking: the tree stores could
    // otherwise alias the members and force them through memory.
    int bestLength = 0, bestPosition = m_matchPosition;
    const unsigned long long head = KeyWord(key + 1);
    const int root = N + 1 + key[0];
    if (m_bCancel) {
        m_matchLength = 0;
        return;
    }
    // Node numbers as size_t: the ring offsets of the key loads below fold into
    // their addresses, one add less on each step's chain of loads.
    size_t p = (unsigned)m_rson[root];
    if (p == NIL) {
        m_rson[root] = r;
        m_dad[r] = root;
        m_matchLength = 0;
        return;
    }
    // The first key word of the node being compared; the next one is chosen
    // from both children's, loaded before the comparison decides between them.
    unsigned long long word = KeyWord(&m_ring[p + 1]);
    for (;;) {
        size_t left = (unsigned)m_lson[p], right = (unsigned)m_rson[p];
        unsigned long long leftWord = KeyWord(&m_ring[left + 1]);
        unsigned long long rightWord = KeyWord(&m_ring[right + 1]);
        int length;
        bool greater;
        size_t next;
        if (__builtin_expect(head != word, 1)) {
            length = 1 + (__builtin_clzll(head ^ word) >> 3);
            greater = head > word;
            next = Select<ABOVE>(head, word, right, left);
            word = Select<ABOVE>(head, word, rightWord, leftWord);
        } else {
            unsigned long long a = KeyWord(key + 9), b = KeyWord(&m_ring[p + 9]);
            if (a != b) {
                greater = a > b;
                length = 9 + (__builtin_clzll(a ^ b) >> 3);
            } else {
                int cmp = (int)key[17] - (int)m_ring[p + 17];
                if (cmp == 0) {
                    bestPosition = (int)p;
                    bestLength = F;
                    break;
                }
                greater = cmp > 0;
                length = 17;
            }
            next = greater ? right : left;
            word = greater ? rightWord : leftWord;
        }
        // Lengths mostly grow along the walk, but not predictably so.
        bestPosition = Select<GREATER>(length, bestLength, (int)p, bestPosition);
        bestLength = Select<GREATER>(length, bestLength, length, bestLength);
        if (m_bCancel) {
            m_matchLength = bestLength;
            m_matchPosition = bestPosition;
            return;
        }
        if (next == NIL) {
            // The side is as unpredictable as the steps were.
            Select<EQUAL>((int)greater, 1, m_rson, m_lson)[p] = r;
            m_dad[r] = (int)p;
            m_matchLength = bestLength;
            m_matchPosition = bestPosition;
            return;
        }
        p = next;
    }
    // A key equal in all 18 bytes: r takes p's place in the tree.
    m_matchLength = bestLength;
    m_matchPosition = bestPosition;
    ReplaceNode((int)p, r);
    m_replaced = (int)p;
}

void CLZSS::ReplaceNode(int p, int r)
{
    const size_t parent = (unsigned)m_dad[p], left = (unsigned)m_lson[p], right = (unsigned)m_rson[p];
    m_dad[r] = (int)parent;
    m_lson[r] = (int)left;
    m_rson[r] = (int)right;
    m_dad[left] = r;
    m_dad[right] = r;
    Select<EQUAL>((unsigned)m_rson[parent], (unsigned)p, m_rson, m_lson)[parent] = r;
    m_dad[p] = NIL;
}

void CLZSS::DeleteNode(int p)
{
    // Links are read as unsigned and used as size_t, so that they index without
    // a sign extension on the way.
    const size_t parent = (unsigned)m_dad[p];
    if (parent == NIL)
        return;
    const size_t left = (unsigned)m_lson[p], right = (unsigned)m_rson[p];
    size_t q;
    // Node numbers are below N, and NIL is N, a power of two: one test for
    // both children, which is as unpredictable as the shape of the tree.
    static_assert((N & (N - 1)) == 0 && NIL == N, "NIL is a single bit above every node");
    if (((left | right) & NIL) == 0) {
        q = left;
        size_t next = (unsigned)m_rson[q];
        if (next != NIL) {
            do {
                q = next;
                next = (unsigned)m_rson[q];
            } while (next != NIL);
            const size_t up = (unsigned)m_dad[q], down = (unsigned)m_lson[q];
            m_rson[up] = (int)down;
            m_dad[down] = (int)up;
            m_lson[q] = (int)left;
            m_dad[left] = (int)q;
        }
        m_rson[q] = (int)right;
        m_dad[right] = (int)q;
    } else {
        // At most one child: it takes p's place (NIL when p is a leaf).
        q = Select<EQUAL>(right, (size_t)NIL, left, right);
    }
    m_dad[q] = (int)parent;
    Select<EQUAL>((unsigned)m_rson[parent], (unsigned)p, m_rson, m_lson)[parent] = (int)q;
    m_dad[p] = NIL;
}
