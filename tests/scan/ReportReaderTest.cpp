// The test-side report reader itself: it must accept exactly the layout and
// name what is wrong with anything else, so that the layout tests can trust it.
#include "tests/scan/ReportReader.h"

#include <gtest/gtest.h>

using report::Builder;
using report::Bytes;

namespace {

// A small valid report: one directory entry with a file record (sizes on), one
// registry entry with the root record and a value.
Builder Valid()
{
    Builder b;
    b.Str("ZMRFv1.0");
    for (int f : {1, 1, 0, 0, 1, 1, 0, 0})
        b.U8(f);
    for (int t : {2024, 5, 3, 15, 10, 20, 30, 400})
        b.U16(t);
    // directories: descriptor at 34, block at 34 + 2 + 4 + 12 = 52
    b.U16(1).Name("C:\\d").U32(52).U32(3 + 6 + 8).U32(1);
    b.U8(2).Name("C:\\d\\f").U64HighFirst(0x100000005ull);
    // registry at 69: descriptor, block at 69 + 2 + 2 + 17 + 12 = 102
    b.U16(1).Name("HKEY_CURRENT_USER").U32(102).U32(4 + 5 + 9).U32(2);
    b.U8(3).Name("\\");
    b.U8(4).Name("\\v").U32(1).U32(1).U8('x');
    return b;
}

bool Reads(const Bytes& bytes, std::string& error)
{
    report::Report r;
    return report::Read(bytes, r, error);
}

} // namespace

TEST(ReportReader, ReadsAValidReportFieldByField)
{
    Builder b = Valid();
    report::Report r;
    std::string error;
    ASSERT_TRUE(report::Read(b.Get(), r, error)) << error;
    EXPECT_EQ(r.time[0], 2024);
    EXPECT_EQ(r.time[7], 400);
    ASSERT_TRUE(r.present[0] && r.present[1]);
    EXPECT_FALSE(r.present[2] || r.present[3]);
    EXPECT_EQ(r.sectionOffset[1], 69u);
    const report::Record& file = r.sections[0][0].records[0];
    EXPECT_EQ(file.name, "C:\\d\\f");
    EXPECT_TRUE(file.hasSize);
    EXPECT_FALSE(file.hasAttributes);
    EXPECT_EQ(file.size, 0x100000005ull);
    const report::Record& value = r.sections[1][0].records[1];
    EXPECT_EQ(value.valueType, 1u);
    EXPECT_EQ(value.data, Bytes{'x'});
    EXPECT_NE(report::FindEntry(r, report::REGISTRY, "HKEY_CURRENT_USER"), nullptr);
    EXPECT_EQ(report::FindEntry(r, report::REGISTRY, "HKEY_USERS"), nullptr);
}

TEST(ReportReader, RejectsEveryKindOfDamage)
{
    std::string error;
    Bytes good = Valid().Get();

    Bytes magic = good;
    magic[7] = '1';
    EXPECT_FALSE(Reads(magic, error));
    EXPECT_FALSE(Reads(Bytes(good.begin(), good.begin() + 5), error));

    Bytes flag = good;
    flag[9] = 2;
    EXPECT_FALSE(Reads(flag, error));

    // Every truncation fails.
    for (size_t n = 0; n < good.size(); n++)
        EXPECT_FALSE(Reads(Bytes(good.begin(), good.begin() + n), error)) << n;

    Bytes trailing = good;
    trailing.push_back(0);
    EXPECT_FALSE(Reads(trailing, error));
    EXPECT_NE(error.find("after the last section"), std::string::npos);

    Builder gap = Valid();
    gap.PatchU32(40, 53); // block offset one byte late
    EXPECT_FALSE(Reads(gap.Get(), error));

    Builder count = Valid();
    count.PatchU32(48, 2); // two records claimed, one present
    EXPECT_FALSE(Reads(count.Get(), error));

    Builder length = Valid();
    length.PatchU32(44, 16); // block one byte short of its record
    EXPECT_FALSE(Reads(length.Get(), error));

    Bytes type = good;
    type[52] = 3; // a key record among the files
    EXPECT_FALSE(Reads(type, error));

    Bytes root = good;
    root[105] = '/'; // the registry block must start with "\"
    EXPECT_FALSE(Reads(root, error));

    Bytes values = good;
    values[13] = 0; // value records although values were off
    EXPECT_FALSE(Reads(values, error));
}
