// The comparison of two reports through the portable core: result lines,
// selections and archive flags, report ordering, section pairing.
#include "base/JobState.h"
#include "compare/CompareCore.h"
#include "compare/ReportMemory.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

typedef std::vector<std::string> Lines;

// A report with an entry in each section.
CReportWriter FullReport()
{
    CReportWriter w;
    w.AddEntry(SEC_DIRECTORIES, "C:\\Data").records = {
        DirRec("C:\\Data\\Sub"), FileRec("C:\\Data\\Sub\\a.txt", 10, 0x20, 500),
        FileRec("C:\\Data\\b.txt", 20, 0x20, 600)};
    w.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = {
        KeyRec("\\"), ValueRec("\\@", 1, "x"), KeyRec("Software"),
        ValueRec("Software\\Name", 1, "value")};
    w.AddEntry(SEC_SETTINGS, "C:\\WINDOWS\\win.ini").records = {LineRec("[windows]"),
                                                                 LineRec("load=")};
    w.AddEntry(SEC_DOS, "C:\\autoexec.bat").records = {LineRec("@echo off")};
    return w;
}

// Lines under the directories heading only (the other sections absent).
Lines DirLines(const std::string& entry, const Lines& body)
{
    Lines l = {kHeadings[0], "Каталог " + entry + ":"};
    l.insert(l.end(), body.begin(), body.end());
    for (int s = 1; s < 4; s++) {
        l.push_back(kHeadings[s]);
        l.push_back(kNotDone);
    }
    return l;
}

CReportWriter DirReport(const std::vector<TestRecord>& records, WORD hour = 10)
{
    CReportWriter w;
    w.SetTime(2024, 3, 1, hour, 0, 0, 0);
    w.AddEntry(SEC_DIRECTORIES, "C:\\Data").records = records;
    return w;
}

class CompareCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_PathList.nCount = 0;
        g_KeyList.nCount = 0;
        for (BYTE& f : ArchiveFlags)
            f = 1;
    }
};

} // namespace

TEST_F(CompareCore, IdenticalReportsGiveNoDifferencesUnderEveryEntry)
{
    Bytes a = FullReport().Build();
    g_PathList.nCount = 2;
    g_KeyList.nCount = 5;
    CompareResult r = RunCompare(a, a);
    EXPECT_EQ(r.result, CCompareCore::RESULT_COMPARED);
    Lines expected = {kHeadings[0], "Каталог C:\\Data:",           kNoDifferences,
                      kHeadings[1], "Ключ HKEY_LOCAL_MACHINE:",    kNoDifferences,
                      kHeadings[2], "Файл C:\\WINDOWS\\win.ini:", kNoDifferences,
                      kHeadings[3], "Файл C:\\autoexec.bat:",      kNoDifferences};
    EXPECT_EQ(r.lines, expected) << r.Text();
    EXPECT_TRUE(r.paths.empty());
    EXPECT_TRUE(r.keys.empty());
    EXPECT_EQ(ArchiveFlags[0], 0);
    EXPECT_EQ(ArchiveFlags[3], 0);
    // The attributes and times flags are left as they were.
    EXPECT_EQ(ArchiveFlags[1], 1);
    EXPECT_EQ(ArchiveFlags[2], 1);
}

TEST_F(CompareCore, TheOlderReportComesFirstWhicheverWasChosenFirst)
{
    CReportWriter older = DirReport({FileRec("C:\\Data\\gone.txt"), FileRec("C:\\Data\\kept.txt")});
    CReportWriter newer = DirReport({FileRec("C:\\Data\\kept.txt"), FileRec("C:\\Data\\new.txt")});
    // Earlier by the month although later by day, hour and the day of the week.
    older.SetTime(2024, 2, 28, 23, 59, 59, 999, 6);
    newer.SetTime(2024, 3, 1, 0, 0, 0, 0, 0);
    Bytes a = older.Build(), b = newer.Build();
    Lines expected = DirLines("C:\\Data", {"Создан файл C:\\Data\\new.txt", "Удален файл C:\\Data\\gone.txt"});
    CompareResult forward = RunCompare(a, b);
    EXPECT_EQ(forward.lines, expected) << forward.Text();
    CompareResult backward = RunCompare(b, a);
    EXPECT_EQ(backward.lines, expected) << backward.Text();
    EXPECT_EQ(backward.paths, (Lines{"C:\\Data\\new.txt"}));

    // Milliseconds decide too; equal times keep the order as chosen.
    older.SetTime(2024, 3, 1, 10, 0, 0, 5);
    newer.SetTime(2024, 3, 1, 10, 0, 0, 6);
    EXPECT_EQ(RunCompare(newer.Build(), older.Build()).lines, expected);
    newer.SetTime(2024, 3, 1, 10, 0, 0, 5);
    Lines reversed =
        DirLines("C:\\Data", {"Создан файл C:\\Data\\gone.txt", "Удален файл C:\\Data\\new.txt"});
    EXPECT_EQ(RunCompare(newer.Build(), older.Build()).lines, reversed);
}

TEST_F(CompareCore, AChangedFileOrDirectoryGivesOneLineNamingTheWeightiestChange)
{
    const std::string f = "C:\\Data\\f.txt";
    struct Case {
        TestRecord before, after;
        std::string line;
    } cases[] = {
        {FileRec(f, 10), FileRec(f, 11), "Изменен размер файла " + f},
        {FileRec(f, 10, 0x20), FileRec(f, 11, 0x21),
         "Изменены атрибуты файла " + f + " с < A > на < RO; A >"},
        {FileRec(f, 10, 0x20, 1), FileRec(f, 11, 0x21, 2), "Изменено время создания файла " + f},
        {FileRec(f, 1ull << 32), FileRec(f, 2ull << 32), "Изменен размер файла " + f},
        {FileRec(f, 0, 0, 5ull << 32), FileRec(f, 0, 0, 6ull << 32),
         "Изменено время создания файла " + f},
        {DirRec("C:\\Data\\D", 0x10), DirRec("C:\\Data\\D", 0x12),
         "Изменены атрибуты каталога C:\\Data\\D с <> на < H >"},
        {DirRec("C:\\Data\\D", 0x10, 7), DirRec("C:\\Data\\D", 0x10, 8),
         "Изменено время создания каталога C:\\Data\\D"},
    };
    for (const Case& c : cases) {
        g_PathList.nCount = 0;
        CompareResult r = RunCompare(DirReport({c.before}, 9).Build(), DirReport({c.after}, 10).Build());
        EXPECT_EQ(r.lines, DirLines("C:\\Data", {c.line})) << r.Text();
        // Recorded as it stands: no backslash is added for a directory.
        ASSERT_EQ(r.paths.size(), 1u) << c.line;
        EXPECT_EQ(r.paths[0], c.before.name);
        EXPECT_EQ(g_PathList.items[0].bDirectory, 0);
        EXPECT_EQ(r.filesFlag, 1);
        EXPECT_EQ(r.registryFlag, 0);
    }
}

TEST_F(CompareCore, DirectorySizesAndSizesMissingFromOneReportAreNeverCompared)
{
    TestRecord d1 = DirRec("C:\\Data\\D"), d2 = DirRec("C:\\Data\\D");
    d1.size = 100;
    d2.size = 200;
    CompareResult dirs = RunCompare(DirReport({d1}, 9).Build(), DirReport({d2}, 10).Build());
    EXPECT_EQ(dirs.lines, DirLines("C:\\Data", {kNoDifferences})) << dirs.Text();

    // Sizes recorded only in the older report: the records differ in layout, none
    // of the sizes is compared, the attributes still are.
    CReportWriter a = DirReport({FileRec("C:\\Data\\x", 5), FileRec("C:\\Data\\y", 6, 0x20)}, 9);
    CReportWriter b = DirReport({FileRec("C:\\Data\\x", 0), FileRec("C:\\Data\\y", 0, 0x21)}, 10);
    b.m_flags[1] = 0;
    Bytes older = a.Build(), newer = b.Build();
    EXPECT_EQ(older.size() - newer.size(), 16u);
    CompareResult r = RunCompare(older, newer);
    EXPECT_EQ(r.lines,
              DirLines("C:\\Data", {"Изменены атрибуты файла C:\\Data\\y с < A > на < RO; A >"}))
        << r.Text();

    // Without attributes and creation times in one of them, only sizes count.
    CReportWriter c = DirReport({FileRec("C:\\Data\\x", 5, 0x20, 1)}, 9);
    CReportWriter d = DirReport({FileRec("C:\\Data\\x", 5, 0x21, 2)}, 10);
    d.m_flags[2] = d.m_flags[3] = 0;
    EXPECT_EQ(RunCompare(c.Build(), d.Build()).lines, DirLines("C:\\Data", {kNoDifferences}));
}

TEST_F(CompareCore, CreatedAndDeletedItemsOfEveryKindWithTheirSelections)
{
    CReportWriter a, b;
    a.SetTime(2024, 3, 1, 9, 0, 0, 0);
    b.SetTime(2024, 3, 1, 10, 0, 0, 0);
    a.AddEntry(SEC_DIRECTORIES, "C:\\Data").records = {
        DirRec("C:\\Data\\Old"), FileRec("C:\\Data\\Old\\o.txt"), FileRec("C:\\Data\\keep.txt")};
    b.AddEntry(SEC_DIRECTORIES, "C:\\Data").records = {
        FileRec("C:\\Data\\keep.txt"), DirRec("C:\\Data\\New"), FileRec("C:\\Data\\New\\n.txt")};
    a.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = {
        KeyRec("\\"), KeyRec("Software"), KeyRec("Software\\Old"), ValueRec("Software\\Old\\v", 1, "1")};
    b.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = {
        KeyRec("\\"), ValueRec("\\@", 1, "d"), KeyRec("Software"), KeyRec("Software\\New"),
        ValueRec("Software\\New\\x", 4, "abcd")};
    a.AddEntry(SEC_SETTINGS, "C:\\WINDOWS\\system.ini").records = {LineRec("[boot]"), LineRec("old=1")};
    b.AddEntry(SEC_SETTINGS, "C:\\WINDOWS\\system.ini").records = {LineRec("[boot]"), LineRec("new=2")};
    b.AddEntry(SEC_DOS, "C:\\config.sys");
    a.AddEntry(SEC_DOS, "C:\\config.sys");
    CompareResult r = RunCompare(a.Build(), b.Build());
    Lines expected = {
        kHeadings[0],
        "Каталог C:\\Data:",
        "Создан подкаталог C:\\Data\\New",
        "Создан файл C:\\Data\\New\\n.txt",
        "Удален подкаталог C:\\Data\\Old",
        "Удален файл C:\\Data\\Old\\o.txt",
        kHeadings[1],
        "Ключ HKEY_LOCAL_MACHINE:",
        "Создана переменная \\@",
        "Создан раздел Software\\New",
        "Создана переменная Software\\New\\x",
        "Удален раздел Software\\Old",
        "Удалена переменная Software\\Old\\v",
        kHeadings[2],
        "Файл C:\\WINDOWS\\system.ini:",
        "Вставлена строка \"new=2\"",
        "Удалена строка \"old=1\"",
        kHeadings[3],
        "Файл C:\\config.sys:",
        kNoDifferences,
    };
    EXPECT_EQ(r.lines, expected) << r.Text();
    EXPECT_EQ(r.paths, (Lines{"C:\\Data\\New\\", "C:\\Data\\New\\n.txt"}));
    EXPECT_EQ(g_PathList.items[0].bDirectory, 1);
    EXPECT_EQ(g_PathList.items[1].bDirectory, 0);
    // A value directly under the root gives two backslashes in a row.
    EXPECT_EQ(r.keys, (Lines{"HKEY_LOCAL_MACHINE\\\\@", "HKEY_LOCAL_MACHINE\\Software\\New\\",
                             "HKEY_LOCAL_MACHINE\\Software\\New\\x"}));
    for (WORD k = 0; k < 3; k++)
        EXPECT_EQ(g_KeyList.items[k].dwRoot, 0x80000002u);
    EXPECT_EQ(g_KeyList.items[0].bKey, 0);
    EXPECT_EQ(g_KeyList.items[1].bKey, 1);
    EXPECT_EQ(r.filesFlag, 1);
    EXPECT_EQ(r.registryFlag, 1);
}

TEST_F(CompareCore, ValuesCompareByTheirDataOnly)
{
    auto reg = [](const std::vector<TestRecord>& records, WORD hour) {
        CReportWriter w;
        w.SetTime(2024, 3, 1, hour, 0, 0, 0);
        w.AddEntry(SEC_REGISTRY, "HKEY_CURRENT_USER").records = records;
        return w.Build();
    };
    // The type changed, the data did not: no line.
    CompareResult same = RunCompare(reg({KeyRec("\\"), ValueRec("A\\v", 1, "12")}, 9),
                                    reg({KeyRec("\\"), ValueRec("A\\v", 3, "12")}, 10));
    EXPECT_EQ(same.lines[4], kNoDifferences);
    EXPECT_TRUE(same.keys.empty());
    EXPECT_EQ(same.registryFlag, 0);

    for (const char* data : {"13", "123", ""}) {
        g_KeyList.nCount = 0;
        CompareResult r = RunCompare(reg({KeyRec("\\"), ValueRec("A\\v", 1, "12")}, 9),
                                     reg({KeyRec("\\"), ValueRec("A\\v", 1, data)}, 10));
        Lines expected = {kHeadings[0], kNotDone, kHeadings[1], "Ключ HKEY_CURRENT_USER:",
                          "Изменено значение переменной A\\v", kHeadings[2], kNotDone,
                          kHeadings[3], kNotDone};
        EXPECT_EQ(r.lines, expected) << r.Text();
        EXPECT_EQ(r.keys, (Lines{"HKEY_CURRENT_USER\\A\\v"}));
        EXPECT_EQ(g_KeyList.items[0].dwRoot, 0x80000001u);
        EXPECT_EQ(r.registryFlag, 1);
        EXPECT_EQ(r.filesFlag, 0);
    }
}

TEST_F(CompareCore, LinesOfTextFiles)
{
    auto text = [](const Lines& lines, WORD hour) {
        CReportWriter w;
        w.SetTime(2024, 3, 1, hour, 0, 0, 0);
        TestEntry& e = w.AddEntry(SEC_SETTINGS, "C:\\WINDOWS\\win.ini");
        for (const std::string& l : lines)
            e.records.push_back(LineRec(l));
        return w.Build();
    };
    auto body = [](const CompareResult& r) {
        return Lines(r.lines.begin() + 6, r.lines.end() - 2);
    };
    Lines before;
    for (int k = 0; k < 10; k++)
        before.push_back("key" + std::to_string(k) + "=" + std::to_string(k));
    Lines after = before;
    after.insert(after.begin() + 5, "inserted=1");
    // One line in the middle: one search, then the rest runs in step again.
    CompareResult r = RunCompare(text(before, 9), text(after, 10));
    EXPECT_EQ(body(r), (Lines{"Вставлена строка \"inserted=1\""})) << r.Text();
    EXPECT_EQ(r.searches, 1u);
    EXPECT_TRUE(r.paths.empty());
    EXPECT_TRUE(r.keys.empty());

    CompareResult removed = RunCompare(text(after, 9), text(before, 10));
    EXPECT_EQ(body(removed), (Lines{"Удалена строка \"inserted=1\""})) << removed.Text();

    // One of two empty lines removed: the leftover one pairs with the first empty
    // line of the newer file, already paired, and nothing is reported.
    CompareResult empty = RunCompare(text({"a", "", "", "b"}, 9), text({"a", "", "b"}, 10));
    EXPECT_EQ(body(empty), (Lines{kNoDifferences})) << empty.Text();

    // Lines differ by their bytes: case counts, empty text is shown as "".
    CompareResult cased = RunCompare(text({"Load="}, 9), text({"load=", ""}, 10));
    EXPECT_EQ(body(cased), (Lines{"Вставлена строка \"load=\"", "Вставлена строка \"\"",
                                  "Удалена строка \"Load=\""}))
        << cased.Text();
}

TEST_F(CompareCore, EmptyBlocksOnEitherSide)
{
    std::vector<TestRecord> some = {DirRec("C:\\Data\\D"), FileRec("C:\\Data\\D\\f")};
    CompareResult gone = RunCompare(DirReport(some, 9).Build(), DirReport({}, 10).Build());
    EXPECT_EQ(gone.lines, DirLines("C:\\Data", {"Удален подкаталог C:\\Data\\D",
                                                "Удален файл C:\\Data\\D\\f"}));
    EXPECT_TRUE(gone.paths.empty());
    EXPECT_EQ(gone.filesFlag, 0);
    CompareResult made = RunCompare(DirReport({}, 9).Build(), DirReport(some, 10).Build());
    EXPECT_EQ(made.lines, DirLines("C:\\Data", {"Создан подкаталог C:\\Data\\D",
                                                "Создан файл C:\\Data\\D\\f"}));
    EXPECT_EQ(made.paths, (Lines{"C:\\Data\\D\\", "C:\\Data\\D\\f"}));
    CompareResult none = RunCompare(DirReport({}, 9).Build(), DirReport({}, 10).Build());
    EXPECT_EQ(none.lines, DirLines("C:\\Data", {kNoDifferences}));
}

TEST_F(CompareCore, ReducedAgainstFullReportAndSectionsWithoutEntries)
{
    CReportWriter full = FullReport();
    full.SetTime(2024, 3, 1, 11, 0, 0, 0);
    CReportWriter reduced;
    reduced.AddEntry(SEC_DIRECTORIES, "C:\\Data").records = full.m_entries[0][0].records;
    reduced.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = full.m_entries[1][0].records;
    Lines expected = {kHeadings[0], "Каталог C:\\Data:",        kNoDifferences,
                      kHeadings[1], "Ключ HKEY_LOCAL_MACHINE:", kNoDifferences,
                      kHeadings[2], kNotDone,
                      kHeadings[3], kNotDone};
    EXPECT_EQ(RunCompare(reduced.Build(), full.Build()).lines, expected);
    EXPECT_EQ(RunCompare(full.Build(), reduced.Build()).lines, expected);

    // A directories section with no entries in one report and a registry-only
    // report: each report is read at its own positions.
    CReportWriter dirsEmpty = full;
    dirsEmpty.m_entries[0].clear();
    CReportWriter regOnly;
    regOnly.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = full.m_entries[1][0].records;
    Lines partial = {kHeadings[0], kNotDone,
                     kHeadings[1], "Ключ HKEY_LOCAL_MACHINE:", kNoDifferences,
                     kHeadings[2], kNotDone,
                     kHeadings[3], kNotDone};
    EXPECT_EQ(RunCompare(regOnly.Build(), dirsEmpty.Build()).lines, partial);
    Lines bothEmpty = {kHeadings[0], kHeadings[1], "Ключ HKEY_LOCAL_MACHINE:", kNoDifferences,
                       kHeadings[2], "Файл C:\\WINDOWS\\win.ini:", kNoDifferences,
                       kHeadings[3], "Файл C:\\autoexec.bat:", kNoDifferences};
    EXPECT_EQ(RunCompare(dirsEmpty.Build(), dirsEmpty.Build()).lines, bothEmpty);
}

TEST_F(CompareCore, EntriesPairByNameWithLatinLettersInAnyCase)
{
    CReportWriter a, b;
    a.SetTime(2024, 3, 1, 9, 0, 0, 0);
    b.SetTime(2024, 3, 1, 10, 0, 0, 0);
    a.AddEntry(SEC_DIRECTORIES, "C:\\Windows").records = {FileRec("C:\\Windows\\a")};
    a.AddEntry(SEC_DIRECTORIES, "C:\\Папка");
    a.AddEntry(SEC_DIRECTORIES, "C:\\OnlyOld");
    a.AddEntry(SEC_DIRECTORIES, "C:\\Dup");
    a.AddEntry(SEC_DIRECTORIES, "C:\\dup");
    b.AddEntry(SEC_DIRECTORIES, "C:\\ПАПКА");
    b.AddEntry(SEC_DIRECTORIES, "c:\\WINDOWS").records = {FileRec("C:\\Windows\\a"),
                                                          FileRec("C:\\Windows\\b")};
    b.AddEntry(SEC_DIRECTORIES, "C:\\OnlyNew");
    b.AddEntry(SEC_DIRECTORIES, "C:\\DUP");
    CompareResult r = RunCompare(a.Build(), b.Build());
    // Cyrillic letters are not folded; entries of one report only give no line;
    // every pair of equal names is compared, duplicates included.
    Lines expected = {kHeadings[0],
                      "Каталог C:\\Windows:", "Создан файл C:\\Windows\\b",
                      "Каталог C:\\Dup:", kNoDifferences,
                      "Каталог C:\\dup:", kNoDifferences};
    for (int s = 1; s < 4; s++) {
        expected.push_back(kHeadings[s]);
        expected.push_back(kNotDone);
    }
    EXPECT_EQ(r.lines, expected) << r.Text();
    EXPECT_TRUE(CCompareCore::SameEntryName((const BYTE*)"aZ[", 3, (const BYTE*)"Az[", 3));
    EXPECT_FALSE(CCompareCore::SameEntryName((const BYTE*)"a{", 2, (const BYTE*)"A[", 2));
    EXPECT_FALSE(CCompareCore::SameEntryName((const BYTE*)"ab", 2, (const BYTE*)"abc", 3));
}

TEST_F(CompareCore, FormatAttributesTexts)
{
    char text[CCompareCore::ATTRIBUTE_TEXT];
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x21, text), "< RO; A >");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x02, text), "< H >");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x00, text), "<>");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x10 | 0x80 | 0x800, text), "<>");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x01, text), "< RO >");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x24, text), "< A; S >");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0x06, text), "< S; H >");
    EXPECT_STREQ(CCompareCore::FormatAttributes(0xFFFFFFFF, text), "< RO; A; S; H >");
}

TEST_F(CompareCore, AFileThatIsNotAReportGivesOneLineAndLeavesTheListsAlone)
{
    CScratchDir dir;
    Bytes good = FullReport().Build();
    std::string ok = dir / "ok.zmr", missing = dir / "missing.zmr";
    ASSERT_TRUE(WriteFileBytes(ok, good));
    Bytes wrongCase = good;
    wrongCase[0] = 'z';
    Bytes shortMagic(good.begin(), good.begin() + 7);
    Bytes shortHeader(good.begin(), good.begin() + 31);
    ASSERT_TRUE(WriteFileBytes(dir / "case.zmr", wrongCase));
    ASSERT_TRUE(WriteFileBytes(dir / "short.zmr", shortMagic));
    ASSERT_TRUE(WriteFileBytes(dir / "header.zmr", shortHeader));
    ASSERT_TRUE(WriteFileBytes(dir / "empty.zmr", Bytes()));

    g_PathList.nCount = 3;
    g_KeyList.nCount = 4;
    struct Case {
        std::string first, second, named;
    } cases[] = {
        {missing, ok, missing},           {ok, missing, missing},
        {dir / "case.zmr", ok, dir / "case.zmr"}, {ok, dir / "short.zmr", dir / "short.zmr"},
        {ok, dir / "header.zmr", dir / "header.zmr"}, {dir / "empty.zmr", ok, dir / "empty.zmr"},
        // the first report is tested first: one line at most
        {dir / "case.zmr", missing, dir / "case.zmr"}, {dir.Path(), ok, dir.Path()},
    };
    for (const Case& c : cases) {
        CompareResult r = RunCompareFiles(c.first, c.second);
        EXPECT_EQ(r.result, CCompareCore::RESULT_NOT_A_REPORT) << c.named;
        EXPECT_EQ(r.lines, (Lines{"Ошибка открытия файла " + c.named}));
        EXPECT_EQ(g_PathList.nCount, 3);
        EXPECT_EQ(g_KeyList.nCount, 4);
        EXPECT_EQ(ArchiveFlags[0], 1);
    }
    CompareResult fine = RunCompareFiles(ok, ok);
    EXPECT_EQ(fine.result, CCompareCore::RESULT_COMPARED);
    EXPECT_EQ(fine.lines.size(), 12u);
}

TEST_F(CompareCore, CancelStopsEveryLineAndTheLists)
{
    CReportWriter a = FullReport(), b = FullReport();
    b.SetTime(2024, 3, 1, 15, 0, 0, 0);
    b.m_entries[0][0].records.push_back(FileRec("C:\\Data\\c.txt"));
    Bytes x = a.Build(), y = b.Build();
    CReportMemory m1(x.data(), x.size()), m2(y.data(), y.size());

    volatile BYTE cancel = 1;
    CLinesOutput out;
    CCompareCore before(&out, &cancel);
    EXPECT_EQ(before.Run(&m1, "a", &m2, "b"), CCompareCore::RESULT_CANCELLED);
    EXPECT_TRUE(out.m_lines.empty());
    EXPECT_EQ(out.m_nClears, 0);
    EXPECT_EQ(before.Run(nullptr, "a", &m2, "b"), CCompareCore::RESULT_NOT_A_REPORT);
    EXPECT_TRUE(out.m_lines.empty());

    for (size_t after = 1; after < 6; after++) {
        cancel = 0;
        CLinesOutput part;
        part.m_pCancel = &cancel;
        part.m_nCancelAfter = after;
        CCompareCore core(&part, &cancel);
        EXPECT_EQ(core.Run(&m1, "a", &m2, "b"), CCompareCore::RESULT_CANCELLED);
        EXPECT_EQ(part.m_lines.size(), after);
        EXPECT_EQ(part.m_nClears, 1);
    }
}

TEST_F(CompareCore, ListsRefuseEntriesBeyondTheirRoomWithALine)
{
    std::vector<TestRecord> many;
    for (int k = 0; k < 65540; k++)
        many.push_back(FileRec("C:\\Data\\f" + std::to_string(k)));
    CompareResult r = RunCompare(DirReport({}, 9).Build(), DirReport(many, 10).Build());
    EXPECT_EQ(g_PathList.nCount, 65535);
    EXPECT_EQ(std::string(g_PathList.items[65534].szPath), "C:\\Data\\f65534");
    // each created file line, and one line for each file refused
    ASSERT_EQ(r.lines.size(), 2 + 65540 + 5 + 6u);
    EXPECT_EQ(r.lines[2 + 65535], "Создан файл C:\\Data\\f65535");
    EXPECT_EQ(r.lines[2 + 65536], "Список файлов для архива заполнен, не добавлено: C:\\Data\\f65535");
    EXPECT_EQ(r.lines[2 + 65540 + 4], "Список файлов для архива заполнен, не добавлено: C:\\Data\\f65539");

    // Names that do not fit a list entry are refused one by one.
    g_PathList.nCount = 0;
    std::string longName = "C:\\Data\\" + std::string(260, 'x');
    CompareResult tooLong =
        RunCompare(DirReport({}, 9).Build(), DirReport({FileRec(longName), FileRec("C:\\Data\\ok")}, 10).Build());
    EXPECT_EQ(tooLong.lines, DirLines("C:\\Data", {"Создан файл " + longName,
                                                   "Слишком длинный путь для архива, не добавлено: " + longName,
                                                   "Создан файл C:\\Data\\ok"}));
    EXPECT_EQ(tooLong.paths, (Lines{"C:\\Data\\ok"}));
    EXPECT_EQ(tooLong.filesFlag, 1);

    CReportWriter ka, kb;
    ka.SetTime(2024, 3, 1, 9, 0, 0, 0);
    ka.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = {KeyRec("\\")};
    kb.AddEntry(SEC_REGISTRY, "HKEY_LOCAL_MACHINE").records = {
        KeyRec("\\"), ValueRec(std::string(250, 'k') + "\\value", 1, "")};
    CompareResult keys = RunCompare(ka.Build(), kb.Build());
    EXPECT_TRUE(keys.keys.empty());
    EXPECT_EQ(keys.registryFlag, 0);
    EXPECT_EQ(keys.lines[5], "Слишком длинный путь для архива, не добавлено: HKEY_LOCAL_MACHINE\\" +
                                 std::string(250, 'k') + "\\value");
}
