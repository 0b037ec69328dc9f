// zmcli compare: the lines as the difference log holds them, the lists after
// "--", the exit status.
#include "cli/CompareCommand.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#else
#include <unistd.h>
#endif

namespace {

// Runs the command with standard output sent to a file; returns what it wrote.
int RunCommand(std::vector<std::string> args, const std::string& capture, std::string* output)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    std::fflush(stdout);
    int saved = dup(1);
    FILE* f = std::fopen(capture.c_str(), "wb");
    dup2(fileno(f), 1);
    int rc = CompareCommand((int)argv.size(), argv.data());
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::fclose(f);
#ifdef _WIN32
    _setmode(1, _O_TEXT);
#endif
    Bytes out = ReadFileBytes(capture);
    output->assign(out.begin(), out.end());
    return rc;
}

} // namespace

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
    EXPECT_EQ(RunCommand({newer, older}, capture, &out), 0);
    EXPECT_EQ(out, text);
    // Code page 1251 bytes: "Каталог".
    EXPECT_NE(out.find("\xCA\xE0\xF2\xE0\xEB\xEE\xE3 C:\\D:\r\n"), std::string::npos);

    EXPECT_EQ(RunCommand({older, newer, "-l"}, capture, &out), 0);
    EXPECT_EQ(out, text + "--\r\nC:\\D\\N\\\r\nC:\\D\\f\r\nHKEY_USERS\\S\\\r\n");
    EXPECT_EQ(RunCommand({"-l", older, older}, capture, &out), 0);
    EXPECT_EQ(out.substr(out.size() - 4), "--\r\n");
}

TEST(CompareCommand, ExitStatus)
{
    CScratchDir dir;
    std::string good = dir / "good.zmr", bad = dir / "bad.zmr", capture = dir / "out.txt";
    ASSERT_TRUE(WriteFileBytes(good, CReportWriter().Build()));
    ASSERT_TRUE(WriteFileBytes(bad, TextBytes(100, 1)));
    std::string out;
    EXPECT_EQ(RunCommand({good, bad}, capture, &out), 1);
    EXPECT_EQ(out, "Ошибка открытия файла " + bad + "\r\n");
    EXPECT_EQ(RunCommand({bad, good, "-l"}, capture, &out), 1);
    EXPECT_EQ(out, "Ошибка открытия файла " + bad + "\r\n");
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {good}, {good, good, good}, {good, "-x", good}, {good, good, "-l", "-l"}, {"--bench", good}}) {
        EXPECT_EQ(RunCommand(args, capture, &out), 2);
        EXPECT_EQ(out, "");
    }
}
