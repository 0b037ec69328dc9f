// "zmcli scan", run in process: options to flags and lists, the printed
// progress lines, the report it writes and its exit codes.
#include "cli/ScanCommand.h"

#include "base/JobState.h"
#include "tests/scan/ReportReader.h"
#include "tests/scan/ScanTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace {

// Sends one standard stream into a file for the object's life.
class CCapture {
public:
    CCapture(FILE* stream, const std::string& path) : m_stream(stream), m_path(path)
    {
        std::fflush(m_stream);
        m_fd = _fileno(m_stream);
        m_saved = _dup(m_fd);
        int file = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
        _dup2(file, m_fd);
        _close(file);
    }
    ~CCapture() { Stop(); }
    std::string Stop()
    {
        if (m_saved >= 0) {
            std::fflush(m_stream);
            _dup2(m_saved, m_fd);
            _close(m_saved);
            m_saved = -1;
        }
        Bytes b;
        ReadFileBytes(m_path, b);
        return std::string(b.begin(), b.end());
    }

private:
    FILE* m_stream;
    std::string m_path;
    int m_fd, m_saved;
};

class ScanCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ResetScanJob(); }
    void TearDown() override { ResetScanJob(); }

    int Run(std::vector<std::string> args)
    {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        CCapture out(stdout, dir / "stdout.txt");
        CCapture err(stderr, dir / "stderr.txt");
        int code = ScanCommand((int)args.size(), argv.data());
        output = out.Stop();
        errors = err.Stop();
        return code;
    }

    CScratchDir dir;
    std::string output, errors;
};

} // namespace

TEST_F(ScanCommandTest, WritesTheReportAndPrintsTheProgressLines)
{
    std::string tree = dir / "tree";
    MakeDir(tree);
    MakeFile(tree + "\\f.txt", "12345");
    MakeFile(dir / "win.ini", "[w]\r\nx=1\r\n");
    MakeFile(dir / "config.sys", "FILES=40\r\n");
    CTestKey key("Command");
    key.Set("", "v", REG_SZ, "z", 2);
    CRootOverride root(HKEY_CURRENT_USER, key.Path());
    ASSERT_TRUE(root.Ok());
    std::string out = dir / "out.zmr";

    ASSERT_EQ(Run({out, "-s", "-v", "-d", tree + "\\", "-k", "hkey_current_user", "-i",
                   dir / "win.ini", "-x", dir / "config.sys"}),
              0)
        << errors;
    EXPECT_EQ(output, "Сканирование каталога " + tree + "\n" +
                          "Сканирование ключа HKEY_CURRENT_USER\n" +
                          "Сканирование файла " + dir / "win.ini" + "\n" +
                          "Сканирование файла " + dir / "config.sys" + "\n");
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(out, bytes));
    report::Report r;
    std::string error;
    ASSERT_TRUE(report::Read(bytes, r, error)) << error;
    EXPECT_EQ(Bytes(r.flags, r.flags + 8), MakeBytes({1, 1, 0, 0, 1, 1, 1, 1}));
    ASSERT_EQ(r.sections[0].size(), 1u);
    EXPECT_EQ(r.sections[0][0].name, tree);
    ASSERT_EQ(r.sections[0][0].records.size(), 1u);
    EXPECT_EQ(r.sections[0][0].records[0].size, 5u);
    ASSERT_EQ(r.sections[1].size(), 1u);
    EXPECT_EQ(r.sections[1][0].name, "HKEY_CURRENT_USER");
    ASSERT_EQ(r.sections[1][0].records.size(), 2u);
    EXPECT_EQ(r.sections[1][0].records[1].name, "\\v");
    EXPECT_EQ(r.sections[2][0].records.size(), 2u);
    EXPECT_EQ(r.sections[3][0].records[0].name, "FILES=40");
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(ScanCommandTest, FieldOptionsSetTheirFlagBytes)
{
    std::string out = dir / "o.zmr";
    const char* options[4] = {"-s", "-a", "-c", "-v"};
    const int bytes[4] = {1, 2, 3, 5};
    for (int i = 0; i < 4; i++) {
        ASSERT_EQ(Run({out, options[i], "-d", dir / "none"}), 0) << errors;
        Bytes b;
        ASSERT_TRUE(ReadFileBytes(out, b));
        ASSERT_EQ(b.size(), 32u + 2 + 2 + (dir / "none").size() + 12);
        for (int k : {1, 2, 3, 5})
            EXPECT_EQ(b[8 + k], k == bytes[i] ? 1 : 0) << options[i] << " byte " << k;
        for (int k : {4, 6, 7})
            EXPECT_EQ(b[8 + k], 0) << options[i] << " byte " << k;
        EXPECT_EQ(b[8], 1);
    }
}

TEST_F(ScanCommandTest, AReportThatCannotBeWrittenExitsWithOne)
{
    std::string out = dir / "missing folder\\o.zmr";
    EXPECT_EQ(Run({out, "-d", dir.Path()}), 1);
    EXPECT_NE(errors.find("cannot write the report"), std::string::npos) << errors;
    EXPECT_FALSE(FileExistsAt(out));
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(ScanCommandTest, BadUsageExitsWithTwoAndWritesNothing)
{
    std::string out = dir / "o.zmr";
    std::vector<std::vector<std::string>> cases = {
        {},
        {"-d", dir.Path()},
        {out, "-q"},
        {out, "-d"},
        {out, "-k", "HKEY_NOWHERE"},
        {out, "-k", "HKEY_CURRENT_USER\\Software"},
        {out, "-d", ""},
        {out, "-d", std::string(300, 'a')},
        {out, "extra"},
        {out, "-sv"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), 2) << (args.empty() ? std::string("(none)") : args.back());
        EXPECT_NE(errors.find("usage: zmcli scan"), std::string::npos);
        EXPECT_FALSE(FileExistsAt(out));
    }
    // More settings files than the list holds.
    std::vector<std::string> many = {out};
    for (int i = 0; i < 65; i++) {
        many.push_back("-i");
        many.push_back(dir / ("f" + std::to_string(i)));
    }
    EXPECT_EQ(Run(many), 2);
    EXPECT_FALSE(FileExistsAt(out));
}
