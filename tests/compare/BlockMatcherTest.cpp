// Splitting blocks into records, and the matching step: the indexed search gives
// exactly the marks of the literal search from the start of the newer block.
#include "base/JobState.h"
#include "compare/BlockMatcher.h"
#include "compare/ReportBlock.h"
#include "tests/compare/CompareTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

namespace {

const BYTE kAllFields[8] = {1, 1, 1, 1, 1, 1, 1, 1};

Bytes BlockOf(const std::vector<TestRecord>& records, const BYTE* flags,
              std::vector<size_t>* ends = nullptr)
{
    Bytes b;
    for (const TestRecord& r : records) {
        AppendRecord(b, r, flags);
        if (ends)
            ends->push_back(b.size());
    }
    return b;
}

std::vector<ReportItem> Parse(const Bytes& block, DWORD count, const BYTE* flags, DWORD* parsed)
{
    // An exactly sized copy, so that any read past the block is caught; it stays
    // for the items to point into.
    static std::vector<std::vector<BYTE>> kept;
    kept.emplace_back(block.begin(), block.end());
    std::vector<BYTE>& exact = kept.back();
    std::vector<ReportItem> items(count + 1);
    *parsed = CReportBlock::ParseBlock(items.data(), flags, exact.empty() ? nullptr : exact.data(),
                                       (DWORD)exact.size(), count);
    return items;
}

// The matching step written out plainly, as a second reference.
void ReferenceMatch(const std::vector<ReportItem>& a, const std::vector<ReportItem>& b,
                    const CBlockMatcher& cmp, std::vector<LONG>& m1, std::vector<LONG>& m2)
{
    m1.assign(a.size(), -2);
    m2.assign(b.size(), -2);
    long long n2 = (long long)b.size(), d = 0;
    if (n2 == 0)
        return;
    for (long long i = 0; i < (long long)a.size(); i++) {
        if (i + d >= n2)
            d = n2 - i - 1;
        long long g = i + d;
        UINT r = cmp.CompareItems(a[i], b[g]);
        if (r == 0) {
            m1[i] = m2[g] = -1;
        } else if (r >= 3) {
            m1[i] = (LONG)g;
            m2[g] = (LONG)i;
        } else {
            for (long long j = 0; j < n2; j++) {
                UINT q = cmp.CompareItems(a[i], b[j]);
                if (q == 1 || q == 2)
                    continue;
                if (q == 0) {
                    m1[i] = m2[j] = -1;
                } else {
                    m1[i] = (LONG)j;
                    m2[j] = (LONG)i;
                }
                d = j - i;
                break;
            }
        }
    }
}

struct Marks {
    std::vector<LONG> m1, m2;
    DWORD searches;
    bool operator==(const Marks& o) const { return m1 == o.m1 && m2 == o.m2; }
};

Marks MatchWith(const std::vector<ReportItem>& a, const std::vector<ReportItem>& b, bool literal,
                const BYTE* f1 = kAllFields, const BYTE* f2 = kAllFields)
{
    CBlockMatcher m(f1, f2);
    m.m_bLiteralSearch = literal;
    Marks out;
    out.m1.assign(a.size(), 99);
    out.m2.assign(b.size(), 99);
    m.Match(a.data(), (DWORD)a.size(), b.data(), (DWORD)b.size(), out.m1.data(), out.m2.data());
    out.searches = m.m_nSearches;
    return out;
}

std::vector<ReportItem> ItemsOf(const std::vector<TestRecord>& records, Bytes& storage)
{
    storage = BlockOf(records, kAllFields);
    std::vector<ReportItem> items(records.size());
    DWORD n = CReportBlock::ParseBlock(items.data(), kAllFields, storage.data(),
                                       (DWORD)storage.size(), (DWORD)records.size());
    EXPECT_EQ(n, records.size());
    return items;
}

// Records drawn from a small vocabulary, so that equal names (also of other
// types) recur often; fields vary so that pairs are found changed as well.
std::vector<TestRecord> RandomRecords(std::mt19937& rng, size_t count, int vocabulary)
{
    std::vector<TestRecord> v;
    for (size_t k = 0; k < count; k++) {
        std::string name = "n" + std::to_string(rng() % vocabulary);
        switch (rng() % 5) {
        case 0: v.push_back(DirRec(name, 0x10 | (rng() % 2 ? 2 : 0))); break;
        case 1: v.push_back(FileRec(name, rng() % 3, 0x20, rng() % 2)); break;
        case 2: v.push_back(KeyRec(name)); break;
        case 3: v.push_back(ValueRec(name, rng() % 2 + 1, std::string(rng() % 3, 'd'))); break;
        default: v.push_back(LineRec(name)); break;
        }
    }
    return v;
}

std::vector<TestRecord> Edited(std::mt19937& rng, const std::vector<TestRecord>& in, int variant)
{
    std::vector<TestRecord> out = in;
    switch (variant) {
    case 0: // scattered insertions, deletions and changes
        out.clear();
        for (const TestRecord& r : in) {
            unsigned roll = rng() % 20;
            if (roll == 0)
                continue;
            if (roll == 1)
                out.push_back(RandomRecords(rng, 1, 50)[0]);
            out.push_back(r);
            if (roll == 2) {
                out.back().attributes ^= 1;
                out.back().data += "x";
            }
        }
        break;
    case 1: // a run moved elsewhere
        if (out.size() > 4) {
            size_t a = rng() % out.size(), b = rng() % out.size();
            if (a > b)
                std::swap(a, b);
            std::rotate(out.begin() + a, out.begin() + (a + b) / 2, out.begin() + b);
        }
        break;
    case 2: std::shuffle(out.begin(), out.end(), rng); break;
    case 3: std::reverse(out.begin(), out.end()); break;
    default: // a few records duplicated and the tail cut
        for (size_t k = 0; k < out.size(); k += 7)
            out.insert(out.begin() + k, out[k]);
        out.resize(out.size() * 3 / 4);
        break;
    }
    return out;
}

} // namespace

TEST(ReportBlock, RecordsSplitUnderTheReportsOwnFlags)
{
    std::vector<TestRecord> records = {
        DirRec("C:\\W\\S", 0x11, 0x0102030405060708ull), FileRec("C:\\W\\f", 0x1122334455ull, 0x21, 9),
        KeyRec("Soft"), ValueRec("Soft\\v", 7, std::string("\x00\x01\xFF", 3)), LineRec(""),
        {5, "five", 0, 0, 0, 0, ""}, {9, "nine", 0, 0, 0, 0, ""}};
    BYTE combos[4][8] = {{1, 1, 1, 1}, {0, 0, 0, 0}, {0, 1, 0, 1}, {0, 0, 1, 0}};
    for (const BYTE* flags : combos) {
        Bytes block = BlockOf(records, flags);
        DWORD n = 0;
        std::vector<ReportItem> items = Parse(block, 7, flags, &n);
        ASSERT_EQ(n, 7u);
        EXPECT_EQ(std::string((const char*)items[0].pName, items[0].nNameLength), "C:\\W\\S");
        EXPECT_EQ(items[0].bType, 1);
        EXPECT_EQ(items[1].dwSizeHigh, flags[1] ? 0x11u : 0u);
        EXPECT_EQ(items[1].dwSizeLow, flags[1] ? 0x22334455u : 0u);
        EXPECT_EQ(items[1].dwAttributes, flags[2] ? 0x21u : 0u);
        EXPECT_EQ(items[0].dwCreationHigh, flags[3] ? 0x01020304u : 0u);
        EXPECT_EQ(items[0].dwCreationLow, flags[3] ? 0x05060708u : 0u);
        EXPECT_EQ(items[2].bType, 3);
        EXPECT_EQ(items[3].dwValueType, 7u);
        ASSERT_EQ(items[3].dwDataSize, 3u);
        EXPECT_EQ(items[3].pData[2], 0xFF);
        EXPECT_EQ(items[4].nNameLength, 0);
        // Types other than 1, 2 and 4 carry no payload.
        EXPECT_EQ(std::string((const char*)items[6].pName, items[6].nNameLength), "nine");
        EXPECT_EQ(std::string((const char*)items[5].pName, items[5].nNameLength), "five");
    }
}

TEST(ReportBlock, ATruncatedBlockYieldsItsWholeRecordsOnly)
{
    std::vector<TestRecord> records = {DirRec("C:\\A"), FileRec("C:\\A\\b", 5), KeyRec("k"),
                                       ValueRec("k\\v", 1, "data"), LineRec("line")};
    std::vector<size_t> ends;
    Bytes block = BlockOf(records, kAllFields, &ends);
    for (size_t length = 0; length <= block.size(); length++) {
        Bytes cut(block.begin(), block.begin() + length);
        DWORD n = 0;
        Parse(cut, 5, kAllFields, &n);
        DWORD whole = (DWORD)std::count_if(ends.begin(), ends.end(), [&](size_t e) { return e <= length; });
        EXPECT_EQ(n, whole) << "length " << length;
    }
    // A value whose data size runs past the block, a name longer than the block.
    Bytes value = BlockOf({ValueRec("v", 1, "abc")}, kAllFields);
    value[value.size() - 3 - 4] = 4;
    DWORD n = 9;
    Parse(value, 1, kAllFields, &n);
    EXPECT_EQ(n, 0u);
    Bytes name = {2, 0xFF, 0xFF, 'a'};
    Parse(name, 1, kAllFields, &n);
    EXPECT_EQ(n, 0u);
    Bytes huge = BlockOf({ValueRec("v", 1, "abc")}, kAllFields);
    huge[huge.size() - 3 - 1] = 0xFF;
    Parse(huge, 1, kAllFields, &n);
    EXPECT_EQ(n, 0u);

    // A record count beyond what the block can hold is not believed.
    CReportBlock b;
    EXPECT_EQ(b.Assign(block.data(), (DWORD)block.size(), 0xFFFFFFFFu, kAllFields, nullptr),
              CReportBlock::BLOCK_SHORT);
    EXPECT_EQ(b.ItemCount(), 5u);
    EXPECT_EQ(b.Assign(block.data(), (DWORD)block.size(), 5, kAllFields, nullptr), CReportBlock::BLOCK_OK);
    EXPECT_EQ(b.Assign(block.data(), (DWORD)block.size(), 3, kAllFields, nullptr), CReportBlock::BLOCK_OK);
    EXPECT_EQ(b.ItemCount(), 3u);
}

TEST(BlockMatcher, CompareItemsResults)
{
    Bytes s1, s2;
    std::vector<ReportItem> a = ItemsOf({FileRec("f", 1, 0x20, 1), ValueRec("v", 1, "ab"), KeyRec("k"),
                                         DirRec("d", 0x10, 1), LineRec("L")},
                                        s1);
    std::vector<ReportItem> b = ItemsOf({FileRec("f", 2, 0x21, 2), ValueRec("v", 2, "ac"), KeyRec("K"),
                                         DirRec("d", 0x11, 2), FileRec("L")},
                                        s2);
    CBlockMatcher m(kAllFields, kAllFields);
    EXPECT_EQ(m.CompareItems(a[0], b[0]), 4u | 8u | 16u);
    EXPECT_EQ(m.CompareItems(a[1], b[1]), 3u);
    EXPECT_EQ(m.CompareItems(a[2], b[2]), 2u);
    EXPECT_EQ(m.CompareItems(a[3], b[3]), 8u | 16u);
    EXPECT_EQ(m.CompareItems(a[4], b[4]), 1u);
    EXPECT_EQ(m.CompareItems(a[4], a[4]), 0u);
    const BYTE none[8] = {1, 0, 0, 0};
    const BYTE sizesOnly[8] = {1, 1, 0, 0};
    CBlockMatcher partial(sizesOnly, none);
    EXPECT_EQ(partial.CompareItems(a[0], b[0]), 0u);
    CBlockMatcher sizes(sizesOnly, sizesOnly);
    EXPECT_EQ(sizes.CompareItems(a[0], b[0]), 4u);
}

TEST(BlockMatcher, OutOfStepRecordsMoveTheOffsetToTheFirstEqualRecord)
{
    Bytes s1, s2;
    std::vector<ReportItem> a = ItemsOf({LineRec("A"), LineRec("B"), LineRec("C"), LineRec("D")}, s1);
    std::vector<ReportItem> b =
        ItemsOf({LineRec("B"), LineRec("C"), LineRec("X"), LineRec("D"), LineRec("A")}, s2);
    for (bool literal : {false, true}) {
        Marks m = MatchWith(a, b, literal);
        EXPECT_EQ(m.m1, (std::vector<LONG>{-1, -1, -1, -1}));
        EXPECT_EQ(m.m2, (std::vector<LONG>{-1, -1, -2, -1, -1}));
        EXPECT_EQ(m.searches, 3u);
    }
    // A changed counterpart found by the search carries the indices.
    std::vector<ReportItem> c = ItemsOf({ValueRec("x", 1, "1"), ValueRec("v", 1, "1")}, s1);
    std::vector<ReportItem> d = ItemsOf({ValueRec("v", 1, "2"), FileRec("x")}, s2);
    for (bool literal : {false, true}) {
        Marks m = MatchWith(c, d, literal);
        EXPECT_EQ(m.m1, (std::vector<LONG>{-2, 0}));
        EXPECT_EQ(m.m2, (std::vector<LONG>{1, -2}));
    }
    // Nothing on the newer side: every older record stays unmatched.
    Marks empty = MatchWith(a, {}, false);
    EXPECT_EQ(empty.m1, (std::vector<LONG>{-2, -2, -2, -2}));
}

TEST(BlockMatcher, IndexedAndLiteralSearchAgreeOnRandomAndShuffledBlocks)
{
    std::mt19937 rng(1234);
    const BYTE noSizes[8] = {1, 0, 1, 1};
    for (int round = 0; round < 300; round++) {
        size_t n = 1 + rng() % (round < 200 ? 40 : 400);
        int vocabulary = 2 + (int)(rng() % (round % 2 ? 8 : 200));
        std::vector<TestRecord> older = RandomRecords(rng, n, vocabulary);
        std::vector<TestRecord> newer = Edited(rng, older, round % 5);
        if (round % 11 == 0)
            newer = RandomRecords(rng, rng() % 50, vocabulary);
        Bytes s1, s2;
        std::vector<ReportItem> a = ItemsOf(older, s1), b = ItemsOf(newer, s2);
        const BYTE* f2 = round % 3 ? kAllFields : noSizes;
        Marks indexed = MatchWith(a, b, false, kAllFields, f2);
        Marks literal = MatchWith(a, b, true, kAllFields, f2);
        Marks reference;
        ReferenceMatch(a, b, CBlockMatcher(kAllFields, f2), reference.m1, reference.m2);
        ASSERT_TRUE(indexed == literal) << "round " << round;
        ASSERT_TRUE(literal == reference) << "round " << round;
        EXPECT_EQ(indexed.searches, literal.searches);

        // The whole comparison: the same lines and the same selections.
        CReportWriter w1, w2;
        w1.SetTime(2024, 1, 1, 1, 0, 0, 0);
        w2.SetTime(2024, 1, 1, 2, 0, 0, 0);
        w1.AddEntry(round % 2 ? SEC_REGISTRY : SEC_DIRECTORIES, "HKEY_USERS").records = older;
        w2.AddEntry(round % 2 ? SEC_REGISTRY : SEC_DIRECTORIES, "HKEY_USERS").records = newer;
        Bytes r1 = w1.Build(), r2 = w2.Build();
        g_PathList.nCount = g_KeyList.nCount = 0;
        CompareResult x = RunCompare(r1, r2, false);
        CompareResult y = RunCompare(r1, r2, true);
        ASSERT_EQ(x.lines, y.lines) << "round " << round;
        ASSERT_EQ(x.paths, y.paths);
        ASSERT_EQ(x.keys, y.keys);
    }
}
