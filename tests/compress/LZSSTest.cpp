#include "compress/Compress.h"
#include "compress/LZSS.h"
#include "cli/LzssBaseline.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

// Codec fed through its two virtual operations, as the format defines it.
class CVectorCoder : public CLZSS {
public:
    Bytes in;
    size_t pos = 0;
    Bytes out;
    int cancelAfter = -1; // sets m_bCancel once this many bytes were read

    int GetByte() override
    {
        if (cancelAfter >= 0 && (int)pos >= cancelAfter)
            m_bCancel = 1;
        return pos < in.size() ? in[pos++] : -1;
    }
    void PutByte(int c) override { out.push_back((unsigned char)c); }

    Bytes Run(const Bytes& input, bool encode)
    {
        in = input;
        pos = 0;
        out.clear();
        if (encode)
            Encode();
        else
            Decode();
        return out;
    }
};

Bytes Enc(const Bytes& b)
{
    CVectorCoder c;
    return c.Run(b, true);
}

Bytes Dec(const Bytes& b)
{
    CVectorCoder c;
    return c.Run(b, false);
}

// Inputs of seven kinds: noise, text, one byte repeated, two letters, zeros
// broken by single bytes, stretches repeated from near and far behind, text
// after a run of spaces (matches into the ring's starting contents).
Bytes Sample(size_t size, int kind)
{
    Bytes data = kind == 0 ? RandomBytes(size, (unsigned)size)
                 : kind == 1 ? TextBytes(size, (unsigned)size)
                 : kind == 2 ? Bytes(size, (unsigned char)(size & 0xFF))
                             : RandomBytes(size, (unsigned)size + 7);
    if (kind == 3) {
        // Two letters: keys share prefixes of every length up to 18.
        for (unsigned char& b : data)
            b = (unsigned char)('a' + (b & 1));
    } else if (kind == 4) {
        // Runs of zeros broken by single bytes at varying distances.
        for (size_t i = 0; i < data.size(); i++)
            data[i] = data[i] % 23 == 0 ? data[i] : 0;
    } else if (kind == 5) {
        // Stretches repeated from up to a little more than the ring
        // behind, some of them overlapping themselves, between noise.
        unsigned seed = (unsigned)size * 2654435761u;
        for (size_t i = 1; i < data.size();) {
            seed = seed * 1103515245u + 12345u;
            size_t back = 1 + (seed >> 8) % 4200, n = 1 + (seed >> 20) % 60;
            if (back > i || (seed & 3) == 0) {
                i++;
                continue;
            }
            for (size_t k = 0; k < n && i < data.size(); k++, i++)
                data[i] = data[i - back];
        }
    } else if (kind == 6) {
        data = TextBytes(size, (unsigned)size);
        for (size_t i = 0; i < data.size() && i < 40; i++)
            data[i] = ' ';
    }
    return data;
}

} // namespace

TEST(LZSS, KnownCodes)
{
    EXPECT_TRUE(Enc({}).empty());
    EXPECT_TRUE(Dec({}).empty());
    EXPECT_EQ(Hex(Enc(MakeBytes({0x41}))), "01 41 ");
    EXPECT_EQ(Hex(Enc(MakeBytes({0x41, 0x42}))), "03 41 42 ");

    Bytes spaces(10, ' ');
    spaces.push_back(0x78);
    Bytes code = Enc(spaces);
    ASSERT_EQ(code.size(), 4u) << Hex(code);
    EXPECT_EQ(code[0], 0x02);
    int pos = code[1] | ((code[2] & 0xF0) << 4);
    EXPECT_GE(pos, 4060);
    EXPECT_LE(pos, 4077);
    EXPECT_EQ((code[2] & 0x0F) + 3, 10);
    EXPECT_EQ(code[3], 0x78);
    EXPECT_EQ(Dec(code), spaces);

    Bytes run(40, 0x61);
    code = Enc(run);
    ASSERT_EQ(code.size(), 8u) << Hex(code);
    EXPECT_EQ(Hex(Bytes(code.begin(), code.begin() + 6)), "01 61 EE FF 00 0F ");
    EXPECT_EQ(code[7] & 0x0F, 0) << "the last match is 3 bytes long";
    EXPECT_EQ(Dec(code), run);
}

TEST(LZSS, GroupOfExactlyEightItemsHasNoTrailingFlagByte)
{
    Bytes eight = MakeBytes({1, 2, 3, 4, 5, 6, 7, 8});
    Bytes code = Enc(eight);
    EXPECT_EQ(Hex(code), "FF 01 02 03 04 05 06 07 08 ");
    Bytes nine = MakeBytes({1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(Hex(Enc(nine)), "FF 01 02 03 04 05 06 07 08 01 09 ");
}

TEST(LZSS, TruncatedCodeStopsAfterCompleteItems)
{
    Bytes plain = MakeBytes({'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'x'});
    Bytes code = Enc(plain);
    ASSERT_EQ(Dec(code), plain);
    // Code: flag, a, b, c, match(2 bytes), x. Cutting the match's second byte
    // leaves only the three literals.
    ASSERT_EQ(code.size(), 7u) << Hex(code);
    Bytes cut(code.begin(), code.begin() + 5);
    EXPECT_EQ(Dec(cut), MakeBytes({'a', 'b', 'c'}));
    cut.resize(1);
    EXPECT_TRUE(Dec(cut).empty());
}

TEST(LZSS, RoundTripsAndMatchesTheBaselineCoder)
{
    CVectorCoder reused;
    for (size_t size : {1u, 2u, 17u, 18u, 19u, 4095u, 4096u, 4097u, 4113u, 20000u, 300000u}) {
        for (int kind = 0; kind < 6; kind++) {
            Bytes data = Sample(size, kind);
            Bytes code = Enc(data);
            EXPECT_EQ(Dec(code), data) << "size " << size << " kind " << kind;
            CLzssBaseline base(data.data(), data.size());
            base.Encode();
            EXPECT_EQ(base.m_out, code) << "size " << size << " kind " << kind;
            // One object coding many blocks gives every block its fresh code.
            EXPECT_EQ(reused.Run(data, true), code) << "size " << size << " kind " << kind;
        }
    }
}

TEST(LZSS, CancelStopsBothDirections)
{
    CVectorCoder c;
    c.m_bCancel = 1;
    EXPECT_TRUE(c.Run(TextBytes(5000, 1), true).empty());
    EXPECT_TRUE(c.Run(Enc(TextBytes(5000, 1)), false).empty());

    CVectorCoder d;
    Bytes data = RandomBytes(100000, 3);
    d.cancelAfter = 5000;
    Bytes code = d.Run(data, true);
    EXPECT_LT(code.size(), 6000u) << "encoding went on after the cancel";
    EXPECT_TRUE(d.m_bCancel);

    CVectorCoder e;
    Bytes full = Enc(data);
    e.cancelAfter = 1000;
    Bytes part = e.Run(full, false);
    EXPECT_LT(part.size(), 2000u);
}

TEST(LZSS, RunTimeClassRecord)
{
    const CRuntimeClass* rc = RUNTIME_CLASS(CLZSS);
    EXPECT_STREQ(rc->m_lpszClassName, "CLZSS");
    EXPECT_EQ(rc->m_nObjectSize, (int)sizeof(CLZSS));
    EXPECT_TRUE(rc->IsDerivedFrom(RUNTIME_CLASS(CWinThread)));
    CObject* o = rc->CreateObject();
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CLZSS)));
    EXPECT_EQ(static_cast<CLZSS*>(o)->m_bCancel, 0);
    delete o;
}

TEST(LZSS, DamagedCodeDecodesTheSameOnAFreshAndAReusedObject)
{
    // A match that reads ring positions no valid code reads before writing them.
    Bytes damaged = MakeBytes({0xFE, 0xFF, 0xFF});
    CVectorCoder reused;
    reused.Run(Enc(TextBytes(9000, 3)), false);
    Bytes first = Dec(damaged);
    EXPECT_EQ(first.size(), 18u);
    EXPECT_EQ(reused.Run(damaged, false), first);
    EXPECT_EQ(reused.Run(damaged, false), first);
}

class LZSSOptimal : public ::testing::Test {
protected:
    void TearDown() override { CLZSS::s_nParsePiece = m_piece; }
    const DWORD m_piece = CLZSS::s_nParsePiece;
};

TEST_F(LZSSOptimal, DecodesWithTheReferenceAndIsNeverLargerThanTheGreedyCode)
{
    CVectorCoder reused, small;
    reused.m_encodeMode = small.m_encodeMode = CLZSS::ENCODE_OPTIMAL;
    CCompress stream;
    stream.m_encodeMode = CLZSS::ENCODE_OPTIMAL;
    size_t greedyText = 0, optimalText = 0;
    for (size_t size : {0u, 1u, 2u, 17u, 18u, 19u, 4095u, 4097u, 4113u, 20000u, 300000u}) {
        for (int kind = 0; kind < 7; kind++) {
            SCOPED_TRACE(testing::Message() << "size " << size << " kind " << kind);
            const Bytes data = Sample(size, kind);
            CLZSS::s_nParsePiece = m_piece;
            const Bytes code = reused.Run(data, true);
            CLzssBaseline reference(code.data(), code.size());
            reference.Decode();
            EXPECT_TRUE(reference.m_out == data);
            const Bytes greedy = Enc(data);
            EXPECT_LE(code.size(), greedy.size());
            if (kind == 1 || kind == 6) {
                greedyText += greedy.size();
                optimalText += code.size();
            }
            // The stream's inlined path makes the same code.
            Bytes streamed;
            EXPECT_TRUE(size == 0 || stream.CompressToMemory(data.data(), (DWORD)size, streamed));
            EXPECT_TRUE(streamed == code);
            // Pieces of a few dozen positions: seams everywhere, the code still right.
            CLZSS::s_nParsePiece = 64;
            const Bytes pieces = small.Run(data, true);
            CLzssBaseline again(pieces.data(), pieces.size());
            again.Decode();
            EXPECT_TRUE(again.m_out == data);
        }
    }
    EXPECT_LT(optimalText, greedyText) << "text codes smaller";

    // A cancel ends it in the forward pass, before any code.
    CLZSS::s_nParsePiece = m_piece;
    CVectorCoder cancelled;
    cancelled.m_encodeMode = CLZSS::ENCODE_OPTIMAL;
    cancelled.cancelAfter = 5000;
    EXPECT_TRUE(cancelled.Run(RandomBytes(100000, 3), true).empty());
    EXPECT_EQ(cancelled.pos, 5001u) << "no byte read after the one that saw the cancel";
}
