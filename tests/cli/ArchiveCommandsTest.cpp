// zmcli list, verify and extract end to end, as a technician runs them: exit
// codes, what they print (names in UTF-8 on Linux, code page 1251 on Windows),
// what extract writes.
#include "cli/BenchCorpus.h"
#include "cli/LzssBaseline.h"
#include "tests/cli/ZmcliRunner.h"
#include "tests/restore/ArchiveTestSupport.h"
#ifdef _WIN32
#include "tests/backup/ArchiveWalker.h"
#endif

#include <gtest/gtest.h>

#include <map>

namespace {

const std::string kSep(1, kPathSeparator);

size_t CountLines(const std::string& text)
{
    size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

} // namespace

TEST(ArchiveCommands, VerifySaysWholeOrDamagedByItsExitCode)
{
    CScratchDir dir;
    CArchiveBuilder b = SampleArchive();
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    Outcome o = Zmcli(dir, {"verify", dir / "a.zma"});
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    EXPECT_EQ(o.out, "19 records, " + std::to_string(b.m_data.size()) + " bytes checked: the archive is whole (no checksum file)\n");

    // -v lists every record, in this build's text.
    o = Zmcli(dir, {"verify", "-v", dir / "a.zma"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(CountLines(o.out), 20u);
    EXPECT_NE(o.out.find(std::string("\tfile\t") + NATIVE_TEXT("C:\\Папка\\Вложенная\\deep.txt") + "\t"),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find(std::string("\tname=") + NATIVE_TEXT("строка") + "\ttype=1"), std::string::npos);

    Bytes cut(b.m_data.begin(), b.m_data.end() - 1);
    ASSERT_TRUE(WriteFileBytes(dir / "cut.zma", cut));
    o = Zmcli(dir, {"verify", dir / "cut.zma"});
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(CountLines(o.out), 2u) << o.out;
    EXPECT_EQ(o.out.rfind("damaged at ", 0), 0u) << o.out;

    ASSERT_TRUE(WriteText(dir / "x.txt", "not an archive"));
    o = Zmcli(dir, {"verify", dir / "x.txt"});
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("cannot be opened or is not an archive"), std::string::npos);
    EXPECT_EQ(Zmcli(dir, {"verify"}).code, 2);
    EXPECT_EQ(Zmcli(dir, {"verify", "a", "b"}).code, 2);
}

TEST(ArchiveCommands, ListShowsNamesInThisBuildsText)
{
    CScratchDir dir;
    ASSERT_TRUE(SampleArchive().Save(dir / "a.zma"));
    Outcome o = Zmcli(dir, {"list", dir / "a.zma"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(CountLines(o.out), 19u);
    EXPECT_NE(o.out.find(std::string("\tdir\t") + NATIVE_TEXT("C:\\Папка\\Вложенная") + "\tcount=1"),
              std::string::npos)
        << o.out;
}

TEST(ArchiveCommands, ExtractWritesTheTreeBelowTheFolderAndTheRegistryAsARegFile)
{
    CScratchDir dir;
    ASSERT_TRUE(SampleArchive().Save(dir / "a.zma"));
    // The folder is made with the folders above it.
    const std::string out = dir / ("deep" + kSep + "out");
    Outcome o = Zmcli(dir, {"extract", dir / "a.zma", out, "-r", dir / "s.reg"});
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    EXPECT_EQ(o.out, "extracted 4 files (28000 bytes) and 4 directories, 3 keys and 8 values\n");
    for (const SampleEntry& e : SampleEntries()) {
        SCOPED_TRACE(e.path);
        const std::string path = out + kSep + e.native;
        EXPECT_EQ(IsDirectoryAt(path), e.directory);
        if (!e.directory) {
            EXPECT_TRUE(ReadFileBytes(path) == e.data);
        }
    }
    const std::string reg = ReadText(dir / "s.reg");
    EXPECT_EQ(reg.rfind("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n", 0), 0u) << reg;
    EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\Software\\ZelmoraSample]\r\n@=\"default\"\r\n"
                       "\"строка\"=\"a\\\"b\\\\c Текст\"\r\n\"exp\"=hex(2):25,50,41,54,48,25,3b,78,00\r\n"),
              std::string::npos)
        << reg;

    // Again: every file is kept, the registry file too; with -o all is replaced.
    o = Zmcli(dir, {"extract", dir / "a.zma", out, "-r", dir / "s.reg"});
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.out.find(std::string("kept: ") + NATIVE_TEXT("C:\\Папка\\ro.bin") + " exists"), std::string::npos)
        << o.out;
    o = Zmcli(dir, {"extract", "-o", dir / "a.zma", out, "-r", dir / "s.reg"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(ReadText(dir / "s.reg"), reg);
}

TEST(ArchiveCommands, ExtractTakesItemsInThisBuildsText)
{
    CScratchDir dir;
    ASSERT_TRUE(SampleArchive().Save(dir / "a.zma"));
    Outcome o = Zmcli(dir, {"extract", dir / "a.zma", dir / "out", NATIVE_TEXT("c:\\папка\\вложенная"),
                            "C:/empty/"});
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    EXPECT_EQ(ListTree(dir / "out"),
              (std::set<std::string>{"C" + kSep, "C" + kSep + "empty" + kSep, "C" + kSep + NATIVE_TEXT("Папка") + kSep,
                                     "C" + kSep + NATIVE_TEXT("Папка") + kSep + NATIVE_TEXT("Вложенная") + kSep,
                                     "C" + kSep + NATIVE_TEXT("Папка") + kSep + NATIVE_TEXT("Вложенная") + kSep +
                                         "deep.txt"}));
    o = Zmcli(dir, {"extract", dir / "a.zma", dir / "out2", NATIVE_TEXT("C:\\Нет")});
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.out.find(std::string("not in the archive: ") + NATIVE_TEXT("C:\\Нет")), std::string::npos) << o.out;
}

TEST(ArchiveCommands, ExtractOfADamagedArchiveOrNoneFailsClearly)
{
    CScratchDir dir;
    CArchiveBuilder b = SampleArchive();
    Bytes cut(b.m_data.begin(), b.m_data.begin() + b.m_data.size() / 2);
    ASSERT_TRUE(WriteFileBytes(dir / "cut.zma", cut));
    Outcome o = Zmcli(dir, {"extract", dir / "cut.zma", dir / "out"});
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.out.find("damaged at "), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("; the archive is damaged\n"), std::string::npos) << o.out;

    ASSERT_TRUE(WriteText(dir / "x.txt", "not an archive"));
    o = Zmcli(dir, {"extract", dir / "x.txt", dir / "none"});
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("cannot be opened or is not an archive"), std::string::npos);
    EXPECT_FALSE(IsDirectoryAt(dir / "none"));

    EXPECT_EQ(Zmcli(dir, {"extract", dir / "cut.zma"}).code, 2);
    EXPECT_EQ(Zmcli(dir, {"extract", dir / "cut.zma", dir / "out", "-r"}).code, 2);
    EXPECT_EQ(Zmcli(dir, {"extract", "-x", dir / "cut.zma", dir / "out"}).code, 2);
}

#ifdef _WIN32
TEST(ArchiveCommands, BestArchivesAreSmallerAndReadByEveryDecoder)
{
    CScratchDir dir;
    const std::string src = dir / "src\\";
    ASSERT_TRUE(CreateDirectoryA(src.c_str(), nullptr));
    const std::map<std::string, Bytes> files = {{"text.txt", TextCorpus(300000)},
                                                {"binary.bin", BinaryCorpus(300000)},
                                                {"short.txt", TextBytes(10, 1)},
                                                {"empty.dat", {}}};
    for (const auto& f : files)
        ASSERT_TRUE(WriteFileBytes(src + f.first, f.second)) << f.first;
    ASSERT_EQ(Zmcli(dir, {"archive", dir / "greedy.zma", src}).code, 0);
    ASSERT_EQ(Zmcli(dir, {"archive", dir / "one.zma", "-j", "1", "--best", src}).code, 0);
    Outcome o = Zmcli(dir, {"archive", dir / "many.zma", "--best", "-j", "4", src});
    ASSERT_EQ(o.code, 0) << o.out << o.err;
    const Bytes greedy = ReadFileBytes(dir / "greedy.zma"), one = ReadFileBytes(dir / "one.zma"),
                many = ReadFileBytes(dir / "many.zma");
    // The coding threads code as the writer does; only the creation time differs.
    const size_t timeEnd = 28;
    ASSERT_GT(one.size(), timeEnd);
    EXPECT_TRUE(Bytes(one.begin() + timeEnd, one.end()) == Bytes(many.begin() + timeEnd, many.end()));
    for (const char* name : {"greedy.zma", "many.zma"}) {
        o = Zmcli(dir, {"verify", dir / name});
        EXPECT_EQ(o.code, 0) << name << o.out;
    }

    // Every block decodes with the reference decoder; the corpora's are smaller.
    const WalkedArchive best = WalkArchive(many), classic = WalkArchive(greedy);
    ASSERT_TRUE(best.ok && classic.ok) << best.error << classic.error;
    std::map<std::string, uint32_t> classicSize;
    for (const WalkedRecord* r : classic.AllRecords())
        classicSize[r->name] = r->codeSize;
    size_t blocks = 0;
    for (const WalkedRecord* r : best.AllRecords()) {
        if (r->type != 2)
            continue;
        SCOPED_TRACE(r->name);
        ASSERT_EQ(files.count(r->name), 1u);
        const Bytes& data = files.at(r->name);
        const WalkerBytes code = RecordCode(many, *r);
        CLzssBaseline reference(code.data(), code.size());
        reference.Decode();
        EXPECT_TRUE(reference.m_out == data);
        if (data.size() > 1000) {
            EXPECT_LT(r->codeSize, classicSize[r->name]);
        } else {
            EXPECT_LE(r->codeSize, classicSize[r->name]);
        }
        blocks++;
    }
    EXPECT_EQ(blocks, files.size());
    EXPECT_LT(many.size(), greedy.size());

    RemoveTree(src);
    o = Zmcli(dir, {"restore", dir / "many.zma"});
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    for (const auto& f : files)
        EXPECT_TRUE(ReadFileBytes(src + f.first) == f.second) << f.first;
}
#endif
