// The test-side archive reader on archives assembled byte by byte.
#include "tests/backup/ArchiveWalker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Builder {
    WalkerBytes b;
    Builder& U8(int v)
    {
        b.push_back((unsigned char)v);
        return *this;
    }
    Builder& U16(unsigned v) { return U8(v & 0xFF).U8(v >> 8); }
    Builder& U32(unsigned v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Builder& Str(const std::string& s)
    {
        U16((unsigned)s.size());
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Builder& Raw(const std::string& s)
    {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Builder& Header(int files, int attrs, int times, int reg, int family = 2)
    {
        Raw("ZMAFv1.0").U8(files).U8(attrs).U8(times).U8(reg);
        for (int i = 0; i < 8; i++)
            U16(2000 + i);
        return U8(family);
    }
};

} // namespace

TEST(ArchiveWalker, HeaderOnly)
{
    Builder a;
    a.Header(0, 0, 0, 0, 1);
    ASSERT_EQ(a.b.size(), 29u);
    WalkedArchive w = WalkArchive(a.b);
    EXPECT_TRUE(w.ok) << w.error;
    EXPECT_STREQ(w.magic, "ZMAFv1.0");
    EXPECT_EQ(w.osFamily, 1);
    EXPECT_EQ(w.time[0], 2000);
    EXPECT_EQ(w.time[7], 2007);
    EXPECT_EQ(w.endOffset, 29u);
    EXPECT_EQ(w.trailingBytes, 0u);
    EXPECT_EQ(DescribeArchive(w), "");
}

TEST(ArchiveWalker, FilesWithAttributesAndTimes)
{
    Builder a;
    a.Header(1, 1, 1, 0).U32(1);
    a.U8(1).Str("C:").U32(0x10).U16(1).U16(2).U16(3).U16(4).U32(2);
    a.U8(1).Str("A").U32(0x10).U16(5).U16(6).U16(7).U16(8).U32(1);
    a.U8(2).Str("x.txt").U32(0x20).U16(9).U16(10).U16(11).U16(12).U32(3).U32(4).Raw("\x07" "abc");
    a.U8(2).Str("y").U32(0x21).U16(0).U16(0).U16(0).U16(0).U32(0).U32(0);
    WalkedArchive w = WalkArchive(a.b);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(DescribeArchive(w), "files 1\n"
                                  "D C: [2]\n"
                                  "  D A [1]\n"
                                  "    F x.txt 3/4\n"
                                  "  F y 0/0\n");
    const WalkedRecord* x = w.FindFile("C:\\A\\x.txt");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->attributes, 0x20u);
    EXPECT_EQ(x->accessDate, 9);
    EXPECT_EQ(x->accessTime, 10);
    EXPECT_EQ(x->writeDate, 11);
    EXPECT_EQ(x->writeTime, 12);
    EXPECT_EQ(x->offset, 29u + 4 + 21 + 20);
    WalkerBytes code = RecordCode(a.b, *x);
    EXPECT_EQ(std::string(code.begin(), code.end()), "\x07" "abc");
    EXPECT_EQ(w.FindFile("C:\\y")->endOffset, a.b.size());
    EXPECT_EQ(w.AllRecords().size(), 4u);
}

TEST(ArchiveWalker, RegistryPathsAndValuesFirst)
{
    Builder a;
    a.Header(0, 0, 0, 1).U32(1);
    a.U8(3).Str("").U32(0x80000001).U32(1).U32(1);
    a.U8(4).Str("").U32(1).U32(0).U32(0);
    a.U8(3).Str("Software").U32(0x80000001).U32(1).U32(0);
    a.U8(3).Str("X").U32(0x80000001).U32(0).U32(1);
    a.U8(4).Str("Data").U32(4).U32(4).U32(5).Raw("\x0f" "abcd");
    WalkedArchive w = WalkArchive(a.b);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(DescribeArchive(w), "registry 1\n"
                                  "K  S=1 V=1 root=80000001\n"
                                  "  V  t=1 0/0\n"
                                  "  K Software S=1 V=0 root=80000001\n"
                                  "    K X S=0 V=1 root=80000001\n"
                                  "      V Data t=4 4/5\n");
    ASSERT_NE(w.FindKey(0x80000001, "Software\\X"), nullptr);
    const WalkedRecord* v = w.FindValue(0x80000001, "Software\\X", "Data");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->path, "Software\\X");
    EXPECT_EQ(v->root, 0x80000001u);
    EXPECT_EQ(w.FindValue(0x80000001, "", "")->plainSize, 0u);
    EXPECT_EQ(w.FindKey(0x80000002, ""), nullptr);
}

TEST(ArchiveWalker, TruncationAnywhereIsReportedNotFatal)
{
    Builder a;
    a.Header(1, 1, 1, 1).U32(1);
    a.U8(1).Str("C:").U32(0x10).U16(1).U16(2).U16(3).U16(4).U32(1);
    a.U8(2).Str("f").U32(0x20).U16(1).U16(2).U16(3).U16(4).U32(3).U32(4).Raw("\x07" "abc");
    a.U32(1).U8(3).Str("").U32(0x80000002).U32(0).U32(1);
    a.U8(4).Str("v").U32(3).U32(1).U32(2).Raw("\x01" "z");
    ASSERT_TRUE(WalkArchive(a.b).ok);
    for (size_t n = 0; n < a.b.size(); n++) {
        WalkerBytes cut(a.b.begin(), a.b.begin() + n);
        WalkedArchive w = WalkArchive(cut);
        EXPECT_FALSE(w.ok) << n;
        EXPECT_TRUE(w.truncated) << n;
        EXPECT_FALSE(w.error.empty()) << n;
        EXPECT_LE(w.errorOffset, n);
    }
}

TEST(ArchiveWalker, CorruptionIsNamed)
{
    {
        Builder a;
        a.Raw("ZMAFv1.1").U8(0).U8(0).U8(0).U8(0);
        WalkedArchive w = WalkArchive(a.b);
        EXPECT_FALSE(w.ok);
        EXPECT_TRUE(w.corrupt);
    }
    {
        Builder a; // a key record where a file-section record belongs
        a.Header(1, 0, 0, 0).U32(1).U8(3).Str("").U32(0x80000001).U32(0).U32(0);
        WalkedArchive w = WalkArchive(a.b);
        EXPECT_TRUE(w.corrupt);
        EXPECT_EQ(w.errorOffset, 33u);
    }
    {
        Builder a; // a directory in the registry section
        a.Header(0, 0, 0, 1).U32(1).U8(1).Str("C:").U32(0);
        EXPECT_TRUE(WalkArchive(a.b).corrupt);
    }
    {
        Builder a; // a subkey where a value is announced
        a.Header(0, 0, 0, 1).U32(1).U8(3).Str("").U32(0x80000001).U32(0).U32(1);
        a.U8(3).Str("k").U32(0x80000001).U32(0).U32(0);
        EXPECT_TRUE(WalkArchive(a.b).corrupt);
    }
    {
        Builder a; // name longer than any name the format allows
        a.Header(1, 0, 0, 0).U32(1).U8(2).U16(300).Raw(std::string(300, 'n')).U32(0).U32(0);
        WalkedArchive w = WalkArchive(a.b);
        EXPECT_TRUE(w.corrupt);
        EXPECT_EQ(w.errorOffset, 34u);
    }
}

TEST(ArchiveWalker, HugeCountsAndDeepNestingStopCleanly)
{
    Builder a;
    a.Header(1, 0, 0, 0).U32(0xFFFFFFFF);
    for (int i = 0; i < 100000; i++)
        a.U8(1).Str("d").U32(1);
    WalkedArchive w = WalkArchive(a.b);
    EXPECT_FALSE(w.ok);
    EXPECT_TRUE(w.corrupt);

    Builder b;
    b.Header(1, 0, 0, 0).U32(0xFFFFFFFF);
    for (int i = 0; i < 1000; i++)
        b.U8(2).Str("f").U32(0).U32(0);
    WalkedArchive v = WalkArchive(b.b);
    EXPECT_TRUE(v.truncated);
    EXPECT_EQ(v.files.size(), 1001u); // the last one is the record it failed in
}

TEST(ArchiveWalker, TrailingBytesAreCounted)
{
    Builder a;
    a.Header(0, 0, 0, 0).U8(0xAA).U8(0xBB);
    WalkedArchive w = WalkArchive(a.b);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.trailingBytes, 2u);
}
