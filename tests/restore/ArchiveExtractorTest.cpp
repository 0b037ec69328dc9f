// Extracting below a folder of one's own: a tree with Cyrillic names, times and a
// read-only file comes out exactly; items pick records and subtrees; crafted
// names never reach outside the folder; existing files are kept or replaced whole;
// a damaged archive stops with a message and leaves nothing half written.
#include "restore/ArchiveExtractor.h"
#include "tests/restore/ArchiveTestSupport.h"
#include "tests/support/LineRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const std::string kSep(1, kPathSeparator);

struct Extracted {
    CArchiveExtractor::Result result;
    std::vector<std::string> lines;
    unsigned long long files, directories, kept, problems;
};

struct Options {
    bool overwrite = false;
    std::vector<std::string> items;
    std::string regFile;
};

Extracted Extract(const std::string& archive, const std::string& folder, const Options& options = {})
{
    CLineRecorder out;
    std::unique_ptr<CArchiveExtractor> x(new CArchiveExtractor(out));
    EXPECT_TRUE(CArchiveExtractor::MakeFolder(folder));
    x->SetTarget(folder);
    x->SetOverwrite(options.overwrite);
    for (const std::string& item : options.items)
        x->AddItem(item);
    if (!options.regFile.empty())
        x->SetRegFile(options.regFile);
    Extracted e;
    e.result = x->Extract(archive.c_str());
    e.lines = out.lines;
    e.files = x->m_nFiles;
    e.directories = x->m_nDirectories;
    e.kept = x->m_nKept;
    e.problems = x->m_nProblems;
    return e;
}

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The tree below the folder that the sample archive's entries make.
std::set<std::string> SampleTree(const std::vector<std::string>& paths = {})
{
    std::set<std::string> tree;
    for (const SampleEntry& e : SampleEntries())
        if (paths.empty() || std::find(paths.begin(), paths.end(), e.path) != paths.end())
            tree.insert(e.native + (e.directory ? kSep : ""));
    return tree;
}

// Temporary files left behind by a replacement.
bool NoTemporaryFiles(const std::string& folder)
{
    for (const std::string& path : ListTree(folder))
        if (path.find("~zm") != std::string::npos)
            return false;
    return true;
}

} // namespace

TEST(ArchiveExtractor, TreeComesOutWithNamesContentsTimesAndTheReadOnlyBit)
{
    CScratchDir dir;
    ASSERT_TRUE(SampleArchive().Save(dir / "a.zma"));
    const std::string out = dir / "out";
    Extracted e = Extract(dir / "a.zma", out);
    EXPECT_EQ(e.result, CArchiveExtractor::DONE) << LinesText(e.lines);
    EXPECT_EQ(LinesText(e.lines), "extracted 4 files (28000 bytes) and 4 directories\n");
    // Stamps first: reading a file or listing a directory moves its last-access
    // time.
    for (const SampleEntry& entry : SampleEntries()) {
        // The drive's folder is the extraction's own and keeps its times.
        if (entry.path == "C:")
            continue;
        SCOPED_TRACE(entry.path);
        DosStamp stamp;
        ASSERT_TRUE(ReadDosStamp(out + kSep + entry.native, stamp));
        EXPECT_TRUE(SameStamp(stamp, entry.stamp))
            << std::hex << stamp.accessDate << " " << stamp.accessTime << " " << stamp.writeDate << " "
            << stamp.writeTime;
    }
    ASSERT_EQ(ListTree(out), SampleTree());
    for (const SampleEntry& entry : SampleEntries()) {
        SCOPED_TRACE(entry.path);
        const std::string path = out + kSep + entry.native;
        if (!entry.directory) {
            EXPECT_TRUE(ReadFileBytes(path) == entry.data);
            EXPECT_EQ(IsReadOnlyAt(path), (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0);
        }
    }

    // The same again: every file exists and is kept, and says so.
    e = Extract(dir / "a.zma", out);
    EXPECT_EQ(e.result, CArchiveExtractor::DONE);
    EXPECT_EQ(e.kept, 4u);
    EXPECT_EQ(e.files, 0u);
    EXPECT_NE(LinesText(e.lines).find("kept: C:\\Папка\\ro.bin exists (-o replaces it)\n"), std::string::npos)
        << LinesText(e.lines);
}

TEST(ArchiveExtractor, ItemsPickRecordsAndWholeSubtrees)
{
    CScratchDir dir;
    ASSERT_TRUE(SampleArchive().Save(dir / "a.zma"));
    struct Case {
        std::vector<std::string> items;
        std::vector<std::string> paths; // what comes out, with the directories on the way
        const char* unfound;
    } cases[] = {
        {{"C:\\Папка\\Вложенная"}, {"C:", "C:\\Папка", "C:\\Папка\\Вложенная", "C:\\Папка\\Вложенная\\deep.txt"}, nullptr},
        // Letters in either case, '/' for '\', a trailing separator.
        {{"c:/пАПКА/RO.BIN"}, {"C:", "C:\\Папка", "C:\\Папка\\ro.bin"}, nullptr},
        {{"C:\\empty\\", "C:\\Папка\\пусто.txt"}, {"C:", "C:\\empty", "C:\\Папка", "C:\\Папка\\пусто.txt"}, nullptr},
        {{"C:"}, {}, nullptr},
        {{"C:\\Папка\\нет", "C:\\empty"}, {"C:", "C:\\empty"}, "C:\\Папка\\нет"},
        {{"D:"}, {}, "D:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items[0]);
        const std::string out = dir / ("out" + std::to_string(&c - cases));
        Options options;
        options.items = c.items;
        Extracted e = Extract(dir / "a.zma", out, options);
        if (c.unfound) {
            EXPECT_EQ(e.result, CArchiveExtractor::INCOMPLETE);
            EXPECT_EQ(e.lines.front(), std::string("not in the archive: ") + c.unfound);
        } else {
            EXPECT_EQ(e.result, CArchiveExtractor::DONE) << LinesText(e.lines);
        }
        std::set<std::string> expected = std::string(c.items[0]) == "D:" ? std::set<std::string>()
                                                                        : SampleTree(c.paths);
        EXPECT_EQ(ListTree(out), expected);
    }
}

TEST(ArchiveExtractor, CraftedNamesNeverReachOutsideTheFolder)
{
    for (const std::string& name : CraftedNames()) {
        const std::string shown = Shown(name);
        SCOPED_TRACE(shown);
        CScratchDir dir;
        CArchiveBuilder b(1, 1, 1, 0);
        b.Count(1);
        b.Dir("C:", 1);
        CraftedBox(b, name);
        ASSERT_TRUE(b.Save(dir / "a.zma"));
        Extracted e = Extract(dir / "a.zma", dir / "out");
        EXPECT_EQ(e.result, CArchiveExtractor::INCOMPLETE);
        const std::string refused = "refused (C:\\box\\" + shown + "): a name that is not one path component\n";
        EXPECT_EQ(LinesText(e.lines), refused + refused +
                                       "extracted 1 file (2 bytes) and 2 directories; 2 not extracted\n");
        EXPECT_EQ(ListTree(dir.Path()), (std::set<std::string>{"a.zma", "out" + kSep, "out" + kSep + "C" + kSep,
                                                               "out" + kSep + "C" + kSep + "box" + kSep,
                                                               "out" + kSep + "C" + kSep + "box" + kSep + "ok.txt"}));
    }

    // Top-level records other than drives, and a drive that is a file.
    CScratchDir dir;
    const std::string tops[] = {"..", "CC", "1:", ":", "C:\\", "C", "", "\\", "/tmp", "C:.", "Ж:"};
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(13);
    std::string expected;
    for (const std::string& top : tops) {
        b.Dir(top, 1);
        b.File("evil.txt", BytesOf("evil"));
        expected += "refused (" + top + "): a top-level record that is not a drive\n";
    }
    b.File("C:", BytesOf("a drive that is a file"));
    expected += "refused (C:): a top-level record that is not a drive\n";
    b.Dir("d:", 1);
    b.File("good.txt", BytesOf("good"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    Extracted e = Extract(dir / "a.zma", dir / "out");
    EXPECT_EQ(LinesText(e.lines), expected + "extracted 1 file (4 bytes) and 1 directory; 12 not extracted\n");
    EXPECT_EQ(ListTree(dir / "out"), (std::set<std::string>{"D" + kSep, "D" + kSep + "good.txt"}));
}

TEST(ArchiveExtractor, ExistingFilesAreKeptOrReplacedWholeButNeverHalfWritten)
{
    CScratchDir dir;
    const Bytes text = TextBytes(50000, 5);
    CArchiveBuilder b(1, 1, 0, 0);
    b.Count(1);
    b.Dir("C:", 3);
    b.File("plain.txt", text);
    b.File("ro.txt", text, FILE_ATTRIBUTE_ARCHIVE);
    b.File("bad.txt", text);
    b.PatchDword(b.m_lastCount, 50001); // its code gives a byte less
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    const std::string c = dir / ("out" + kSep + "C" + kSep);
    ASSERT_TRUE(CArchiveExtractor::MakeFolder(c));
    for (const char* name : {"plain.txt", "ro.txt", "bad.txt"})
        ASSERT_TRUE(WriteText(c + name, "old contents"));
    SetFileAttributesA((c + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    // Without overwriting, all three stay as they were.
    Extracted e = Extract(dir / "a.zma", dir / "out");
    EXPECT_EQ(e.result, CArchiveExtractor::DONE) << LinesText(e.lines);
    EXPECT_EQ(e.kept, 3u);
    for (const char* name : {"plain.txt", "ro.txt", "bad.txt"})
        EXPECT_EQ(ReadText(c + name), "old contents") << name;

    // With it, the whole ones are replaced (the read-only one too); the damaged
    // one keeps the old contents, and no temporary file is left.
    Options overwrite;
    overwrite.overwrite = true;
    e = Extract(dir / "a.zma", dir / "out", overwrite);
    EXPECT_EQ(e.result, CArchiveExtractor::INCOMPLETE);
    EXPECT_EQ(e.files, 2u);
    EXPECT_TRUE(ReadFileBytes(c + "plain.txt") == text);
    EXPECT_TRUE(ReadFileBytes(c + "ro.txt") == text);
    EXPECT_EQ(ReadText(c + "bad.txt"), "old contents");
    EXPECT_NE(LinesText(e.lines).find("(C:\\bad.txt): its code gives 50000 bytes, its record states 50001\n"),
              std::string::npos)
        << LinesText(e.lines);
    EXPECT_TRUE(NoTemporaryFiles(dir.Path()));
    SetFileAttributesA((c + "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

    // A directory in a file's place, a file in a directory's place.
    CScratchDir dir2;
    CArchiveBuilder b2(1, 0, 0, 0);
    b2.Count(1);
    b2.Dir("C:", 2);
    b2.File("x", BytesOf("x"));
    b2.Dir("y", 1);
    b2.File("z", BytesOf("z"));
    ASSERT_TRUE(b2.Save(dir2 / "a.zma"));
    const std::string c2 = dir2 / ("out" + kSep + "C" + kSep);
    ASSERT_TRUE(CArchiveExtractor::MakeFolder(c2 + "x"));
    ASSERT_TRUE(WriteText(c2 + "y", "a file"));
    e = Extract(dir2 / "a.zma", dir2 / "out", overwrite);
    EXPECT_EQ(LinesText(e.lines), "a directory is in the way of C:\\x\n"
                               "a file is in the way of the directory C:\\y\n"
                               "extracted 0 files (0 bytes) and 0 directories; 2 not extracted\n");
    EXPECT_EQ(ReadText(c2 + "y"), "a file");
}

#ifndef _WIN32
TEST(ArchiveExtractor, LinksInTheFolderAreNeverFollowed)
{
    CScratchDir dir;
    ASSERT_TRUE(CArchiveExtractor::MakeFolder(dir / "outside"));
    ASSERT_TRUE(WriteText(dir / "outside/victim.txt", "victim"));
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(1);
    b.Dir("C:", 2);
    b.Dir("sub", 1);
    b.File("x.txt", BytesOf("x"));
    b.File("victim.txt", BytesOf("overwritten"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));

    // A directory of the archive that is a link on disk is not entered.
    ASSERT_TRUE(CArchiveExtractor::MakeFolder(dir / "out/C"));
    ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "out/C/sub").c_str()), 0);
    // A file that is a link is kept, or replaced by a plain file: its target is
    // never written.
    ASSERT_EQ(symlink((dir / "outside/victim.txt").c_str(), (dir / "out/C/victim.txt").c_str()), 0);
    Extracted e = Extract(dir / "a.zma", dir / "out");
    EXPECT_EQ(LinesText(e.lines), "a link is in the way of the directory C:\\sub\n"
                               "kept: C:\\victim.txt exists (-o replaces it)\n"
                               "extracted 0 files (0 bytes) and 0 directories; 1 existing file kept; "
                               "1 not extracted\n");
    Options overwrite;
    overwrite.overwrite = true;
    e = Extract(dir / "a.zma", dir / "out", overwrite);
    EXPECT_EQ(e.files, 1u);
    EXPECT_EQ(ReadText(dir / "outside/victim.txt"), "victim");
    EXPECT_EQ(ListNames(dir / "outside"), std::set<std::string>{"victim.txt"});
    struct stat st;
    ASSERT_EQ(lstat((dir / "out/C/victim.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(ReadText(dir / "out/C/victim.txt"), "overwritten");
}
#endif

TEST(ArchiveExtractor, DamagedArchiveStopsWithAMessageAndWholeFilesOnly)
{
    CScratchDir dir;
    const Bytes whole = SampleArchive().m_data;
    std::map<std::string, Bytes> contents;
    for (const SampleEntry& e : SampleEntries())
        if (!e.directory)
            contents[e.native] = e.data;
    // Cuts through every part of the archive and at each of its last bytes, each
    // into a fresh folder (the verifier's test takes every cut).
    for (size_t cut = 0; cut < whole.size(); cut += cut + 24 < whole.size() ? 23 : 1) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(WriteFileBytes(dir / "t.zma", Bytes(whole.begin(), whole.begin() + cut)));
        const std::string out = dir / "out";
        Extracted e = Extract(dir / "t.zma", out);
        if (cut < 8) {
            EXPECT_EQ(e.result, CArchiveExtractor::NOT_AN_ARCHIVE);
        } else {
            EXPECT_EQ(e.result, CArchiveExtractor::INCOMPLETE);
            ASSERT_GE(e.lines.size(), 2u);
            EXPECT_NE(LinesText(e.lines).find("damaged at "), std::string::npos) << LinesText(e.lines);
            EXPECT_NE(e.lines.back().find("; the archive is damaged"), std::string::npos);
        }
        for (const std::string& path : ListTree(out)) {
            auto it = contents.find(path);
            if (it != contents.end())
                EXPECT_TRUE(ReadFileBytes(out + kSep + path) == it->second) << path;
            else
                EXPECT_EQ(path.back(), kPathSeparator) << path;
        }
        RemoveTree(out);
    }
}

TEST(ArchiveExtractor, RegistrySectionGoesToARegFileOfTheChosenKeys)
{
    CScratchDir dir;
    CArchiveBuilder b(0, 0, 0, 1);
    b.Count(2);
    b.KeyChain(0x80000001, "Software\\A", 1, 2);
    b.Value("", 1, BytesOf(std::string("d", 2)));
    b.Value("n", 4, MakeBytes({1, 0, 0, 0}));
    b.Key("Sub", 0x80000001, 0, 1);
    b.Value("s", 1, BytesOf(std::string("x\\y", 4)));
    b.KeyChain(0x80000002, "Software\\B", 0, 1);
    b.Value("b", 3, MakeBytes({0xAB}));
    ASSERT_TRUE(b.Save(dir / "a.zma"));

    Options all;
    all.regFile = dir / "all.reg";
    Extracted e = Extract(dir / "a.zma", dir / "out", all);
    EXPECT_EQ(e.result, CArchiveExtractor::DONE) << LinesText(e.lines);
    EXPECT_EQ(ReadText(dir / "all.reg"), "REGEDIT4\r\n"
                                         "\r\n[HKEY_CURRENT_USER]\r\n"
                                         "\r\n[HKEY_CURRENT_USER\\Software]\r\n"
                                         "\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"
                                         "@=\"d\"\r\n"
                                         "\"n\"=dword:00000001\r\n"
                                         "\r\n[HKEY_CURRENT_USER\\Software\\A\\Sub]\r\n"
                                         "\"s\"=\"x\\\\y\"\r\n"
                                         "\r\n[HKEY_LOCAL_MACHINE]\r\n"
                                         "\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"
                                         "\r\n[HKEY_LOCAL_MACHINE\\Software\\B]\r\n"
                                         "\"b\"=hex:ab\r\n"
                                         "\r\n");
    EXPECT_EQ(e.lines.back(), "extracted 0 files (0 bytes) and 0 directories, 7 keys and 4 values");

    // One key and what is below it; an existing file is kept without -o.
    Options one;
    one.regFile = dir / "one.reg";
    one.items = {"hkey_current_user\\software\\a\\sub"};
    e = Extract(dir / "a.zma", dir / "out", one);
    EXPECT_EQ(ReadText(dir / "one.reg"), "REGEDIT4\r\n"
                                         "\r\n[HKEY_CURRENT_USER\\Software\\A\\Sub]\r\n"
                                         "\"s\"=\"x\\\\y\"\r\n"
                                         "\r\n");
    e = Extract(dir / "a.zma", dir / "out", one);
    EXPECT_EQ(e.result, CArchiveExtractor::INCOMPLETE);
    EXPECT_EQ(e.lines.front(), "not written: " + one.regFile + " exists (-o replaces it)");

    // Key names that would break out of their line or their key are refused.
    CArchiveBuilder h(0, 0, 0, 1);
    h.Count(1);
    h.Key("", 0x80000001, 3, 0);
    h.Key("x]\r\n[HKEY_LOCAL_MACHINE\\Evil", 0x80000001, 0, 1);
    h.Value("v", 1, BytesOf(std::string("v", 2)));
    h.Key("ok", 0x80000001, 0, 2);
    h.Value("line\r\n\"evil\"", 1, BytesOf(std::string("v", 2)));
    h.Value("fine", 1, BytesOf(std::string("v", 2)));
    h.Key("", 0x80000001, 0, 0);
    ASSERT_TRUE(h.Save(dir / "h.zma"));
    Options hostile;
    hostile.regFile = dir / "h.reg";
    e = Extract(dir / "h.zma", dir / "out", hostile);
    EXPECT_EQ(e.result, CArchiveExtractor::INCOMPLETE);
    EXPECT_EQ(ReadText(dir / "h.reg"), "REGEDIT4\r\n"
                                       "\r\n[HKEY_CURRENT_USER]\r\n"
                                       "\r\n[HKEY_CURRENT_USER\\ok]\r\n"
                                       "\"fine\"=\"v\"\r\n"
                                       "\r\n");
}
