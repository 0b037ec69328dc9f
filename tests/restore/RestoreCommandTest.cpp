// zmcli restore and zmcli list, run in-process with their standard output
// captured; and zmcli archive followed by zmcli restore over a real tree and a
// registry subtree.
#include "base/JobState.h"
#include "cli/ArchiveCommand.h"
#include "cli/ListCommand.h"
#include "cli/RestoreCommand.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const DWORD kHKCU = 0x80000001;

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct CommandResult {
    int code;
    std::string out;
};

CommandResult Command(int (*command)(int, char**), const CScratchDir& dir,
                      std::vector<std::string> args)
{
    CommandResult r;
    r.code = RunCommand(command, dir, args, &r.out);
    DeleteFileA((dir / "stdout.txt").c_str());
    return r;
}

std::string Line(const char* text) { return std::string(text) + "\n"; }

} // namespace

TEST(RestoreCommand, UsageErrorsExitWithTwo)
{
    CScratchDir dir;
    EXPECT_EQ(Command(RestoreCommand, dir, {}).code, 2);
    EXPECT_EQ(Command(RestoreCommand, dir, {"-a"}).code, 2);
    EXPECT_EQ(Command(RestoreCommand, dir, {"a.zma", "-x"}).code, 2);
    EXPECT_EQ(Command(RestoreCommand, dir, {"a.zma", "b.zma"}).code, 2);
    EXPECT_EQ(Command(ListCommand, dir, {}).code, 2);
    EXPECT_EQ(Command(ListCommand, dir, {"a.zma", "b.zma"}).code, 2);
}

TEST(RestoreCommand, OptionsSetTheRestoreOptionsAndLinesArePrinted)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 1, 1, 0);
    b.Count(1);
    b.Chain(dir.Path(), 1);
    b.Dir("tree", 1, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    b.File("a.txt", BytesOf("new"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));

    CommandResult r = Command(RestoreCommand, dir, {dir / "a.zma", "-a", "-t"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, Line(CRestore::kSuccess));
    EXPECT_EQ(g_bRestoreAttributes, 1);
    EXPECT_EQ(g_bRestoreTimes, 1);
    EXPECT_EQ(g_bClearFolders, 0);
    EXPECT_EQ(g_bOverwriteFiles, 0);
    EXPECT_NE(Attributes(dir / "tree") & FILE_ATTRIBUTE_HIDDEN, 0u);

    ASSERT_TRUE(WriteFileBytes(dir / "tree\\a.txt", BytesOf("changed")));
    r = Command(RestoreCommand, dir, {dir / "a.zma"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Файл " + dir / "tree\\a.txt" + " уже существует\n");
    EXPECT_EQ(ReadFileBytes(dir / "tree\\a.txt"), BytesOf("changed"));

    r = Command(RestoreCommand, dir, {"-o", dir / "a.zma"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(g_bOverwriteFiles, 1);
    EXPECT_EQ(ReadFileBytes(dir / "tree\\a.txt"), BytesOf("new"));

    // Clearing reaches every directory record but the drive, those that lead to
    // the scratch directory too, so -c is only run against an archive that is not
    // there.
    r = Command(RestoreCommand, dir, {dir / "missing.zma", "-c"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, Line(CRestore::kOpenError));
    EXPECT_EQ(g_bClearFolders, 1);
    EXPECT_EQ(g_bOverwriteFiles, 0);
    g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;
}

TEST(RestoreCommand, DamagedArchiveExitsWithOne)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(2);
    b.Chain(dir.Path(), 1);
    b.File("a.txt", BytesOf("a"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    CommandResult r = Command(RestoreCommand, dir, {dir / "a.zma"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, Line(CRestore::kDamaged));
    EXPECT_EQ(ReadFileBytes(dir / "a.txt"), BytesOf("a"));
}

TEST(RestoreCommand, ListPrintsEveryRecordWithItsOffset)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 1, 1, 1, 2);
    b.Count(1);
    size_t drive = b.Dir("C:", 2, 0x10, kDefaultStamp);
    size_t sub = b.Dir("Sub Dir", 1, 0x12, kDefaultStamp);
    size_t f1 = b.File("a.txt", BytesOf("aaaaaaaaaaaaaaaaaaaaaaaa"), 0x21, kDefaultStamp);
    size_t f2 = b.File("b.txt", {}, 0x20, kDefaultStamp);
    b.Count(1);
    size_t root = b.Key("", kHKCU, 1, 1);
    size_t v0 = b.Value("", REG_SZ, BytesOf(std::string("d", 2)));
    size_t key = b.Key("Software", kHKCU, 1, 0);
    size_t deep = b.Key("Deep", kHKCU, 0, 1);
    size_t v1 = b.Value("name", REG_DWORD, MakeBytes({1, 2, 3, 4}));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    const Bytes code = CArchiveBuilder::Encode(BytesOf("aaaaaaaaaaaaaaaaaaaaaaaa"));
    const std::string stamps = "\taccess=2022-01-02 00:00:00\twrite=2021-03-04 10:20:30";

    CommandResult r = Command(ListCommand, dir, {dir / "a.zma"});
    EXPECT_EQ(r.code, 0);
    auto n = [](size_t v) { return std::to_string(v); };
    std::string expected =
        n(drive) + "\tdir\tC:\tcount=2\tattr=0x00000010" + stamps + "\n" +
        n(sub) + "\tdir\tC:\\Sub Dir\tcount=1\tattr=0x00000012" + stamps + "\n" +
        n(f1) + "\tfile\tC:\\Sub Dir\\a.txt\tplain=24\tcode=" + n(code.size()) +
        "\tattr=0x00000021" + stamps + "\n" +
        n(f2) + "\tfile\tC:\\b.txt\tplain=0\tcode=0\tattr=0x00000020" + stamps + "\n" +
        n(root) + "\tkey\tHKEY_CURRENT_USER\tsubkeys=1\tvalues=1\n" +
        n(v0) + "\tvalue\tHKEY_CURRENT_USER\tname=\ttype=1\tplain=2\tcode=3\n" +
        n(key) + "\tkey\tHKEY_CURRENT_USER\\Software\tsubkeys=1\tvalues=0\n" +
        n(deep) + "\tkey\tHKEY_CURRENT_USER\\Software\\Deep\tsubkeys=0\tvalues=1\n" +
        n(v1) + "\tvalue\tHKEY_CURRENT_USER\\Software\\Deep\tname=name\ttype=4\tplain=4\tcode=5\n";
    EXPECT_EQ(r.out, expected);

    // Damage: the listing stops there and says so.
    b.m_data.resize(b.m_data.size() - 1);
    ASSERT_TRUE(b.Save(dir / "t.zma"));
    r = Command(ListCommand, dir, {dir / "t.zma"});
    EXPECT_EQ(r.code, 1);
    size_t cut = expected.rfind(n(v1) + "\t");
    EXPECT_EQ(r.out, expected.substr(0, cut) + Line(CRestore::kDamaged));

    r = Command(ListCommand, dir, {dir / "missing.zma"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, Line(CRestore::kOpenError));
}

TEST(RestoreCommand, ListOfADeepArchiveNeedsNoDeepStack)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(1);
    b.Dir("C:", 1);
    const int kDepth = 3000;
    for (int i = 0; i < kDepth; i++)
        b.Dir("d", i + 1 < kDepth ? 1 : 0);
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    CommandResult r = Command(ListCommand, dir, {dir / "a.zma"});
    EXPECT_EQ(r.code, 0);
    size_t lines = 0;
    for (char c : r.out)
        lines += c == '\n';
    EXPECT_EQ(lines, (size_t)kDepth + 1);
}
