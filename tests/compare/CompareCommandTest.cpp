// zmcli compare: the lines as the difference log holds them, the lists after
// "--", the exit status.
#include "cli/CompareCommand.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>


TEST(CompareCommand, PrintsTheLinesWithCarriageReturnLineFeedAndTheLists)
{
    CScratchDir dir;
    CReportWriter a, b;
    a.SetTime(2024, 3, 1, 9, 0, 0, 0);
    b.SetTime(2024, 3, 1, 10, 0, 0, 0);
    a.AddEntry(SEC_DIRECTORIES, "C:\\D").records = {FileRec("C:\\D\\f", 1)};
    b.AddEntry(SEC_DIRECTORIES, "C:\\D").records = {FileRec("C:\\D\\f", 2), DirRec("C:\\D\\N")};
    a.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\")};
    b.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\"), KeyRec("S")};
    std::string older = dir / "a.zmr", newer = dir / "b.zmr", capture = dir / "out.txt";
    ASSERT_TRUE(WriteFileBytes(older, a.Build()));
    ASSERT_TRUE(WriteFileBytes(newer, b.Build()));

    std::string out;
    std::vector<std::string> lines = {kHeadings[0], "Каталог C:\\D:", "Создан подкаталог C:\\D\\N",
                                      "Изменен размер файла C:\\D\\f", kHeadings[1],
                                      "Ключ HKEY_USERS:", "Создан раздел S", kHeadings[2],
                                      kNotDone, kHeadings[3], kNotDone};
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    EXPECT_EQ(RunCompareCommand({newer, older}, capture, &out), 0);
    EXPECT_EQ(out, text);
    // Code page 1251 bytes: "Каталог".
    EXPECT_NE(out.find("\xCA\xE0\xF2\xE0\xEB\xEE\xE3 C:\\D:\r\n"), std::string::npos);

    EXPECT_EQ(RunCompareCommand({older, newer, "-l"}, capture, &out), 0);
    EXPECT_EQ(out, text + "--\r\nC:\\D\\N\\\r\nC:\\D\\f\r\nHKEY_USERS\\S\\\r\n");
    EXPECT_EQ(RunCompareCommand({"-l", older, older}, capture, &out), 0);
    EXPECT_EQ(out.substr(out.size() - 4), "--\r\n");
}

TEST(CompareCommand, ExitStatus)
{
    CScratchDir dir;
    std::string good = dir / "good.zmr", bad = dir / "bad.zmr", capture = dir / "out.txt";
    ASSERT_TRUE(WriteFileBytes(good, CReportWriter().Build()));
    ASSERT_TRUE(WriteFileBytes(bad, TextBytes(100, 1)));
    std::string out;
    EXPECT_EQ(RunCompareCommand({good, bad}, capture, &out), 1);
    EXPECT_EQ(out, "Ошибка открытия файла " + bad + "\r\n");
    EXPECT_EQ(RunCompareCommand({bad, good, "-l"}, capture, &out), 1);
    EXPECT_EQ(out, "Ошибка открытия файла " + bad + "\r\n");
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {good}, {good, good, good}, {good, "-x", good}, {good, good, "-l", "-l"}, {"--bench", good}}) {
        EXPECT_EQ(RunCompareCommand(args, capture, &out), 2);
        EXPECT_EQ(out, "");
    }
}

TEST(CompareCommand, ScriptsAndPageAreWrittenOnlyWhenTheyCanBeWhole)
{
    CScratchDir dir;
    std::string older = dir / "a.zmr", newer = dir / "b.zmr", capture = dir / "out.txt";
    std::string redo = dir / "redo.reg", undo = dir / "undo.reg", page = dir / "page.html", out;
    // Without value data: the lines as always, but no script.
    CReportWriter a(true, true, true, false), b(true, true, true, false);
    a.SetTime(2024, 3, 1, 9, 0, 0, 0);
    b.SetTime(2024, 3, 1, 10, 0, 0, 0);
    a.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\")};
    b.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\"), KeyRec("S")};
    ASSERT_TRUE(WriteFileBytes(older, a.Build()));
    ASSERT_TRUE(WriteFileBytes(newer, b.Build()));
    EXPECT_EQ(1, RunCompareCommand({older, newer, "--reg-redo", redo, "--html", page}, capture, &out));
    EXPECT_NE(std::string::npos, out.find("Создан раздел S"));
    EXPECT_FALSE(FileExistsAt(redo));
    EXPECT_TRUE(FileExistsAt(page)); // the page needs no values

    // With values: both scripts.
    CReportWriter c, d;
    c.SetTime(2024, 3, 1, 9, 0, 0, 0);
    d.SetTime(2024, 3, 1, 10, 0, 0, 0);
    c.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\")};
    d.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\"), KeyRec("S"), ValueRec("S\\v", 4, std::string("\1\0\0\0", 4))};
    ASSERT_TRUE(WriteFileBytes(older, c.Build()));
    ASSERT_TRUE(WriteFileBytes(newer, d.Build()));
    EXPECT_EQ(0, RunCompareCommand({newer, older, "--reg-undo", undo, "--reg-redo", redo}, capture, &out));
    EXPECT_EQ("REGEDIT4\r\n\r\n[HKEY_USERS\\S]\r\n\"v\"=dword:00000001\r\n\r\n", ReadText(redo));
    EXPECT_EQ("REGEDIT4\r\n\r\n[-HKEY_USERS\\S]\r\n\r\n", ReadText(undo));

    // An option without its file, or twice, is a usage error.
    EXPECT_EQ(2, RunCompareCommand({older, newer, "--html"}, capture, &out));
    EXPECT_EQ(2, RunCompareCommand({older, newer, "--html", page, "--html", page}, capture, &out));
    // A file that cannot be written is said so.
    EXPECT_EQ(1, RunCompareCommand({older, newer, "--reg-redo", dir / "no-such-folder/x.reg"}, capture, &out));
}
