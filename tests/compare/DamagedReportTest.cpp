// Damaged reports: every damaged entry or section table is named on a line of
// its own, nothing is read outside the report, and the comparison goes on.
#include "base/JobState.h"
#include "compare/CompareCore.h"
#include "compare/ReportMemory.h"
#include "tests/compare/CompareTestUtil.h"

#include <gtest/gtest.h>

#include <random>

namespace {

typedef std::vector<std::string> Lines;

const char kOutside[] = "Поврежден отчет new.zmr: блок записей выходит за конец файла";
const char kTableNew[] = "Поврежден отчет new.zmr: оглавление раздела не читается";

CReportWriter Report(WORD hour)
{
    CReportWriter w;
    w.SetTime(2024, 3, 1, hour, 0, 0, 0);
    w.AddEntry(SEC_DIRECTORIES, "C:\\A").records = {FileRec("C:\\A\\1", 1), FileRec("C:\\A\\2", 2)};
    w.AddEntry(SEC_DIRECTORIES, "C:\\B").records = {FileRec("C:\\B\\1", 1)};
    w.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\")};
    return w;
}

Lines Expected(const Lines& a, const Lines& b, const Lines& reg)
{
    Lines l = {kHeadings[0], "Каталог C:\\A:"};
    l.insert(l.end(), a.begin(), a.end());
    l.push_back("Каталог C:\\B:");
    l.insert(l.end(), b.begin(), b.end());
    l.push_back(kHeadings[1]);
    l.insert(l.end(), reg.begin(), reg.end());
    l.insert(l.end(), {kHeadings[2], kNotDone, kHeadings[3], kNotDone});
    return l;
}

const Lines kFine = {kNoDifferences};
const Lines kRegFine = {"Ключ HKEY_USERS:", kNoDifferences};

} // namespace

TEST(DamagedReport, BlocksOutsideTheFile)
{
    CReportWriter w1 = Report(9), w2 = Report(10);
    Bytes older = w1.Build(), good = w2.Build();
    const size_t a = w2.m_descriptorFields[0], b = w2.m_descriptorFields[1];
    struct Case {
        size_t field;
        DWORD value;
    } cases[] = {{a, 0xFFFFFFF0u}, {a + 4, 0xFFFFFFFFu}, {a, (DWORD)good.size()}};
    for (const Case& c : cases) {
        Bytes newer = good;
        SetU32(newer, c.field, c.value);
        CompareResult r = RunCompare(older, newer);
        EXPECT_EQ(r.result, CCompareCore::RESULT_COMPARED);
        EXPECT_EQ(r.lines, Expected({kOutside}, kFine, kRegFine)) << r.Text();
    }
    // An offset and a length whose sum passes 4 GiB.
    Bytes wrap = good;
    SetU32(wrap, a, 0xFFFFFFFFu);
    SetU32(wrap, a + 4, 2);
    EXPECT_EQ(RunCompare(older, wrap).lines, Expected({kOutside}, kFine, kRegFine));

    // The last entry of a section reaching past the end: the next section of that
    // report cannot be found either.
    Bytes last = good;
    SetU32(last, b + 4, 0x7FFFFFFF);
    CompareResult r = RunCompare(older, last);
    EXPECT_EQ(r.lines, Expected(kFine, {kOutside}, {kTableNew})) << r.Text();
}

TEST(DamagedReport, RecordsRunningPastTheirBlock)
{
    CReportWriter w1 = Report(9), w2 = Report(10);
    Bytes good1 = w1.Build(), good2 = w2.Build();
    const size_t a = w1.m_descriptorFields[0];

    Bytes many = good1;
    SetU32(many, a + 8, 1000);
    CompareResult r = RunCompare(many, good2);
    EXPECT_EQ(r.lines, Expected({"Поврежден отчет old.zmr: целых записей 2 из 1000"}, kFine, kRegFine))
        << r.Text();

    // One byte short: the last record of the block is cut. Order by time keeps
    // the path with its report when the damaged one was chosen second.
    Bytes cut = good1;
    SetU32(cut, a + 4, w1.m_blockStarts[1] - w1.m_blockStarts[0] - 1);
    r = RunCompare(good2, cut);
    EXPECT_EQ(r.lines, Expected({"Поврежден отчет new.zmr: целых записей 1 из 2"}, kFine, kRegFine))
        << r.Text();

    // A count below the records present bounds the walk: no damage.
    Bytes fewer1 = good1, fewer2 = good2;
    SetU32(fewer1, a + 8, 1);
    SetU32(fewer2, w2.m_descriptorFields[0] + 8, 1);
    EXPECT_EQ(RunCompare(fewer1, fewer2).lines, Expected(kFine, kFine, kRegFine));
    fewer2[w2.m_descriptorFields[0] + 8] = 0;
    EXPECT_EQ(RunCompare(fewer1, fewer2).lines,
              Expected({"Удален файл C:\\A\\1"}, kFine, kRegFine));
}

TEST(DamagedReport, SectionTablesCutShort)
{
    CReportWriter w1 = Report(9), w2 = Report(10);
    Bytes older = w1.Build(), good = w2.Build();
    // Cut anywhere inside the directory descriptors.
    for (size_t end = 32; end < w2.m_blockStarts[0]; end++) {
        Bytes newer(good.begin(), good.begin() + end);
        CompareResult r = RunCompare(older, newer);
        Lines expected = {kHeadings[0], kTableNew, kHeadings[1], kTableNew,
                          kHeadings[2], kNotDone,  kHeadings[3], kNotDone};
        ASSERT_EQ(r.lines, expected) << "cut at " << end << "\n" << r.Text();
        EXPECT_EQ(r.result, CCompareCore::RESULT_COMPARED);
    }
    // A section flag beyond the file: a table of nothing.
    Bytes noSection(good.begin(), good.begin() + 32);
    CompareResult r = RunCompare(older, noSection);
    EXPECT_EQ(r.lines[1], kTableNew);
}

TEST(DamagedReport, FlagBytesOtherThanOneCountAsSetAndTrailingBytesAreIgnored)
{
    CReportWriter w1 = Report(9), w2 = Report(10);
    Bytes older = w1.Build(), newer = w2.Build();
    older[9] = 2;   // sizes
    newer[12] = 0x80; // directories section
    newer.insert(newer.end(), {1, 2, 3});
    EXPECT_EQ(RunCompare(older, newer).lines, Expected(kFine, kFine, kRegFine));
}

TEST(DamagedReport, ArbitraryDamageNeverEscapesTheReport)
{
    CReportWriter w1 = Report(9), w2 = Report(10);
    w2.m_entries[0][0].records.push_back(ValueRec("v", 1, "abc"));
    w2.m_entries[1][0].records.push_back(LineRec("text"));
    Bytes older = w1.Build(), good = w2.Build();
    // Every truncation of the newer report.
    for (size_t end = 0; end <= good.size(); end++) {
        Bytes newer(good.begin(), good.begin() + end);
        CompareResult r = RunCompare(older, newer);
        EXPECT_EQ(r.result, end < 32 ? CCompareCore::RESULT_NOT_A_REPORT : CCompareCore::RESULT_COMPARED);
    }
    // Random bytes overwritten, both reports.
    std::mt19937 rng(77);
    for (int round = 0; round < 2000; round++) {
        Bytes a = older, b = good;
        for (int k = 0; k < 1 + round % 4; k++) {
            Bytes& t = rng() % 2 ? a : b;
            t[8 + rng() % (t.size() - 8)] = (BYTE)rng();
        }
        CompareResult r = RunCompare(a, b, round % 2 == 1);
        EXPECT_GE(r.lines.size(), 4u);
    }
}

namespace {
// A report claiming 4 GiB: its image, then zeros.
class CHugeReport : public CReportSource {
public:
    explicit CHugeReport(const Bytes& image) : m_image(image) {}
    uint64_t Size() const override { return 0xFFFFFFFFull; }
    bool Seek(uint64_t position) override
    {
        m_position = position;
        return true;
    }
    bool Read(void* buffer, DWORD count) override
    {
        BYTE* out = static_cast<BYTE*>(buffer);
        for (DWORD k = 0; k < count; k++, m_position++)
            out[k] = m_position < m_image.size() ? m_image[(size_t)m_position] : 0;
        return true;
    }

private:
    Bytes m_image;
    uint64_t m_position = 0;
};
} // namespace

TEST(DamagedReport, ABlockTooLargeForMemoryIsNamedAndPassedOver)
{
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "only a 32-bit process cannot hold the block";
    CReportWriter w1 = Report(9), w2 = Report(10);
    Bytes older = w1.Build(), image = w2.Build();
    SetU32(image, w2.m_descriptorFields[0] + 4, 0xF0000000u);
    CReportMemory a(older.data(), older.size());
    CHugeReport b(image);
    CLinesOutput out;
    CCompareCore core(&out, nullptr);
    EXPECT_EQ(core.Run(&a, "old.zmr", &b, "new.zmr"), CCompareCore::RESULT_COMPARED);
    EXPECT_EQ(out.m_lines, Expected({"Недостаточно памяти для сравнения записей C:\\A"}, kFine, kRegFine));
}
