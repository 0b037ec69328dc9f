// Files section: archives built byte by byte, restored onto the real file system
// into a scratch directory (the archives' directory records lead there from the
// drive).
#include "base/JobState.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <memory>

namespace {

const DosStamp kStampA = {(43 << 9) | (7 << 5) | 9, (8 << 11) | (1 << 5) | 2,
                          (40 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29};
const DosStamp kStampB = {(44 << 9) | (2 << 5) | 28, (12 << 11), (39 << 9) | (6 << 5) | 15,
                          (6 << 11) | (30 << 5)};
const DWORD kDirAttr = FILE_ATTRIBUTE_DIRECTORY;
// Wine shows every plain file with the archive bit, so the tests compare the rest.
const DWORD kMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                    FILE_ATTRIBUTE_DIRECTORY;

std::string Text(const char* s) { return s; }
Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string AlreadyExists(const std::string& path) { return "Файл " + path + " уже существует"; }

// An archive of one directory "tree" inside the scratch directory.
struct TreeArchive {
    CArchiveBuilder b;
    size_t treeOffset = 0;
    TreeArchive(const std::string& scratch, DWORD children, DWORD attr = kDirAttr,
                const DosStamp& stamp = kDefaultStamp, int attributes = 1, int times = 1)
        : b(1, attributes, times, 0)
    {
        b.Count(1);
        b.Chain(scratch, 1);
        treeOffset = b.Dir("tree", children, attr, stamp);
    }
};

} // namespace

TEST(RestoreFiles, MagicInAnotherLetterCaseIsNotAnArchive)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 1, 1, 0, 2, "ZMAFV1.0");
    b.Count(1);
    b.Chain(dir.Path(), 1);
    b.File("a.txt", BytesOf("x"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kOpenError) + "]");
    EXPECT_FALSE(FileExistsAt(dir / "a.txt"));
}

TEST(RestoreFiles, MissingFileShortFileAndEmptyNameAreNotArchives)
{
    CScratchDir dir;
    std::string open = "[" + Text(CRestore::kOpenError) + "]";
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "missing.zma")), open);
    EXPECT_EQ(JoinLines(RestoreWhole("")), open);
    ASSERT_TRUE(WriteFileBytes(dir / "short.zma", BytesOf("ZMAFv1")));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "short.zma")), open);
}

TEST(RestoreFiles, BothSectionFlagsClearRestoreNothingAndSucceed)
{
    CScratchDir dir;
    CArchiveBuilder b(0, 1, 1, 0);
    ASSERT_EQ(b.m_data.size(), 29u);
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    ArchiveFlags[0] = ArchiveFlags[3] = 1;
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");
    EXPECT_EQ(ArchiveFlags[0], 0);
    EXPECT_EQ(ArchiveFlags[3], 0);
    EXPECT_EQ(ListNames(dir.Path()), std::set<std::string>{"a.zma"});
}

TEST(RestoreFiles, HeaderFlagsAndFamilyTakenFromTheArchive)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 0, 1, 0, 0);
    b.Count(1);
    b.Chain(dir.Path(), 1);
    b.File("a.txt", {});
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    g_osFamily = 2;
    std::memset(ArchiveFlags, 1, 4);
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");
    EXPECT_EQ(Hex(Bytes(ArchiveFlags, ArchiveFlags + 4)), "01 00 01 00 ");
    EXPECT_EQ(g_osFamily, 0);
    g_osFamily = 2;
}

TEST(RestoreFiles, TreeWithContentsAttributesAndTimes)
{
    CScratchDir dir;
    RestoreOptions options(1, 1);
    const Bytes text = TextBytes(10000, 1);
    const Bytes big = TextBytes((4u << 20) + 300000, 2); // crosses the 4 MiB output buffer
    const Bytes noise = RandomBytes(70000, 3);
    const Bytes doc = TextBytes(777, 4);

    TreeArchive a(dir.Path(), 7, kDirAttr | FILE_ATTRIBUTE_HIDDEN, kStampB);
    a.b.File("empty.txt", {}, FILE_ATTRIBUTE_ARCHIVE, kStampA);
    a.b.File("text.txt", text, FILE_ATTRIBUTE_ARCHIVE, kStampB);
    a.b.File("big.txt", big, FILE_ATTRIBUTE_ARCHIVE);
    a.b.File("noise.bin", noise, FILE_ATTRIBUTE_NORMAL, kStampA);
    a.b.File("readonly.txt", text, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, kStampA);
    a.b.File("hidden.sys", noise, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, kStampB);
    a.b.Dir("sub dir", 2, kDirAttr | FILE_ATTRIBUTE_SYSTEM, kStampA);
    a.b.File("doc with blanks.txt", doc, FILE_ATTRIBUTE_ARCHIVE, kStampB);
    a.b.Dir("empty", 0, kDirAttr, kStampB);
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");

    const std::string t = dir / "tree\\";
    struct Expect {
        const char* name;
        DWORD attr;
        DosStamp stamp;
    } expected[] = {
        {"empty.txt", 0, kStampA},
        {"text.txt", 0, kStampB},
        {"big.txt", 0, kDefaultStamp},
        {"noise.bin", 0, kStampA},
        {"readonly.txt", FILE_ATTRIBUTE_READONLY, kStampA},
        {"hidden.sys", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, kStampB},
        {"sub dir\\doc with blanks.txt", 0, kStampB},
        {"sub dir", kDirAttr | FILE_ATTRIBUTE_SYSTEM, kStampA},
        {"sub dir\\empty", kDirAttr, kStampB},
        {"", kDirAttr | FILE_ATTRIBUTE_HIDDEN, kStampB},
    };
    // Stamps first: reading the contents may move the last-access time.
    for (const Expect& e : expected) {
        DosStamp got = {};
        std::string path = e.name[0] ? t + e.name : dir / "tree";
        ASSERT_TRUE(ReadDosStamp(path, got)) << path;
        EXPECT_TRUE(SameStamp(got, e.stamp)) << path;
        EXPECT_EQ(Attributes(path) & kMask, e.attr) << path;
    }
    EXPECT_EQ(ListTree(t), (std::set<std::string>{"big.txt", "empty.txt", "hidden.sys", "noise.bin",
                                                  "readonly.txt", "text.txt", "sub dir\\",
                                                  "sub dir\\doc with blanks.txt",
                                                  "sub dir\\empty\\"}));
    EXPECT_TRUE(ReadFileBytes(t + "empty.txt").empty());
    EXPECT_TRUE(ReadFileBytes(t + "text.txt") == text);
    EXPECT_TRUE(ReadFileBytes(t + "big.txt") == big);
    EXPECT_TRUE(ReadFileBytes(t + "noise.bin") == noise);
    EXPECT_TRUE(ReadFileBytes(t + "readonly.txt") == text);
    EXPECT_TRUE(ReadFileBytes(t + "hidden.sys") == noise);
    EXPECT_TRUE(ReadFileBytes(t + "sub dir\\doc with blanks.txt") == doc);
}

TEST(RestoreFiles, NamesInCyrillic)
{
    CScratchDir dir;
    if (!CyrillicNamesWork(dir))
        GTEST_SKIP() << "the Unix locale cannot hold Cyrillic file names";
    RestoreOptions options(1, 1);
    const Bytes doc = TextBytes(777, 4);
    TreeArchive a(dir.Path(), 2);
    a.b.Dir("Папка Ёё", 1, kDirAttr | FILE_ATTRIBUTE_HIDDEN, kStampA);
    a.b.File("Документ с пробелом.txt", doc, FILE_ATTRIBUTE_READONLY, kStampB);
    a.b.File("яЯ№.bin", {}, FILE_ATTRIBUTE_ARCHIVE, kStampA);
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");
    // Stamps first: listing a directory or reading a file may move its last access.
    DosStamp got = {};
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\Папка Ёё\\Документ с пробелом.txt", got));
    EXPECT_TRUE(SameStamp(got, kStampB));
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\Папка Ёё", got));
    EXPECT_TRUE(SameStamp(got, kStampA));
    EXPECT_EQ(ListTree(dir / "tree"), (std::set<std::string>{"Папка Ёё\\",
                                                            "Папка Ёё\\Документ с пробелом.txt",
                                                            "яЯ№.bin"}));
    EXPECT_EQ(Attributes(dir / "tree\\Папка Ёё") & kMask, kDirAttr | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(ReadFileBytes(dir / "tree\\Папка Ёё\\Документ с пробелом.txt") == doc);
}

TEST(RestoreFiles, ArchiveWithoutAttributesAndTimes)
{
    CScratchDir dir;
    RestoreOptions options(1, 1);
    TreeArchive a(dir.Path(), 1, kDirAttr, kDefaultStamp, 0, 0);
    a.b.File("a.txt", BytesOf("contents"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");
    EXPECT_EQ(ReadFileBytes(dir / "tree\\a.txt"), BytesOf("contents"));
    DosStamp got = {};
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\a.txt", got));
    EXPECT_FALSE(SameStamp(got, kDefaultStamp));
}

TEST(RestoreFiles, DirectoryStampsOnlyWhenTheOptionsAskForThem)
{
    CScratchDir dir;
    RestoreOptions options(0, 0);
    TreeArchive a(dir.Path(), 1, kDirAttr | FILE_ATTRIBUTE_HIDDEN, kStampA);
    a.b.File("a.txt", BytesOf("x"), FILE_ATTRIBUTE_HIDDEN, kStampB);
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");
    DosStamp got = {};
    ASSERT_TRUE(ReadDosStamp(dir / "tree", got));
    EXPECT_FALSE(SameStamp(got, kStampA));
    EXPECT_EQ(Attributes(dir / "tree") & FILE_ATTRIBUTE_HIDDEN, 0u);
    // Files take their stored stamps whatever the options say.
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\a.txt", got));
    EXPECT_TRUE(SameStamp(got, kStampB));
    EXPECT_EQ(Attributes(dir / "tree\\a.txt") & kMask, (DWORD)FILE_ATTRIBUTE_HIDDEN);
}

TEST(RestoreFiles, OverwriteOffKeepsContentsButAppliesStoredStamps)
{
    CScratchDir dir;
    RestoreOptions options;
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir / "tree\\one.txt", BytesOf("old one")));
    ASSERT_TRUE(WriteFileBytes(dir / "tree\\two.txt", BytesOf("old two")));
    SetFileAttributesA((dir / "tree\\two.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    TreeArchive a(dir.Path(), 3);
    a.b.File("one.txt", BytesOf("new one"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, kStampA);
    a.b.File("two.txt", BytesOf("new two"), FILE_ATTRIBUTE_ARCHIVE, kStampB);
    a.b.File("three.txt", BytesOf("new three"), FILE_ATTRIBUTE_ARCHIVE, kStampB);
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")),
              "[" + AlreadyExists(dir / "tree\\one.txt") + "][" +
                  AlreadyExists(dir / "tree\\two.txt") + "]");
    DosStamp got = {};
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\one.txt", got));
    EXPECT_TRUE(SameStamp(got, kStampA));
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\two.txt", got));
    EXPECT_TRUE(SameStamp(got, kStampB)); // read-only on disk, stamped all the same
    EXPECT_EQ(Attributes(dir / "tree\\one.txt") & kMask,
              (DWORD)FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Attributes(dir / "tree\\two.txt") & kMask, 0u);
    EXPECT_EQ(ReadFileBytes(dir / "tree\\one.txt"), BytesOf("old one"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\two.txt"), BytesOf("old two"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\three.txt"), BytesOf("new three"));
}

TEST(RestoreFiles, ReadOnlyFileOnDiskKeepsItsAttributesWhenTheArchiveStoresNone)
{
    CScratchDir dir;
    RestoreOptions options;
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir / "tree\\a.txt", BytesOf("old")));
    SetFileAttributesA((dir / "tree\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    TreeArchive a(dir.Path(), 1, kDirAttr, kDefaultStamp, 0, 1);
    a.b.File("a.txt", BytesOf("new"), 0, kStampA);
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + AlreadyExists(dir / "tree\\a.txt") + "]");
    DosStamp got = {};
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\a.txt", got));
    EXPECT_TRUE(SameStamp(got, kStampA));
    EXPECT_EQ(Attributes(dir / "tree\\a.txt") & kMask,
              (DWORD)(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

TEST(RestoreFiles, OverwriteOnReplacesReadOnlyAndHiddenFiles)
{
    CScratchDir dir;
    RestoreOptions options(0, 0, 0, 1);
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir / "tree\\ro.txt", BytesOf("old contents, longer")));
    ASSERT_TRUE(WriteFileBytes(dir / "tree\\hs.txt", BytesOf("old")));
    SetFileAttributesA((dir / "tree\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((dir / "tree\\hs.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    TreeArchive a(dir.Path(), 2);
    a.b.File("ro.txt", BytesOf("new"), FILE_ATTRIBUTE_READONLY, kStampA);
    a.b.File("hs.txt", BytesOf("new hs"), FILE_ATTRIBUTE_ARCHIVE, kStampB);
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kSuccess) + "]");
    DosStamp got = {};
    ASSERT_TRUE(ReadDosStamp(dir / "tree\\ro.txt", got));
    EXPECT_TRUE(SameStamp(got, kStampA));
    EXPECT_EQ(Attributes(dir / "tree\\ro.txt") & kMask, (DWORD)FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Attributes(dir / "tree\\hs.txt") & kMask, 0u);
    EXPECT_EQ(ReadFileBytes(dir / "tree\\ro.txt"), BytesOf("new"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\hs.txt"), BytesOf("new hs"));
}

namespace {

// Restores the "tree" record alone, as a selection with the scratch directory as
// its parent path, so that clearing stays inside the scratch directory.
std::vector<std::string> RestoreSelection(const std::string& archive, const std::string& parent,
                                          DWORD offset)
{
    std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
    if (r->OpenArchive(archive.c_str())) {
        r->RestoreFileRecord(parent.c_str(), offset);
        r->CloseArchive();
    }
    return r->m_messages;
}

void FillOldTree(const CScratchDir& dir)
{
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    CreateDirectoryA((dir / "tree\\sub").c_str(), nullptr);
    CreateDirectoryA((dir / "tree\\gone").c_str(), nullptr);
    WriteFileBytes(dir / "tree\\old.txt", BytesOf("old"));
    WriteFileBytes(dir / "tree\\keep.txt", BytesOf("old keep"));
    WriteFileBytes(dir / "tree\\sub\\old2.txt", BytesOf("old2"));
    WriteFileBytes(dir / "tree\\gone\\x.txt", BytesOf("x"));
    SetFileAttributesA((dir / "tree\\old.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

} // namespace

TEST(RestoreFiles, ClearOnEmptiesEveryRestoredDirectoryFirst)
{
    CScratchDir dir;
    RestoreOptions options(0, 0, 1, 0);
    FillOldTree(dir);
    TreeArchive a(dir.Path(), 2);
    a.b.File("keep.txt", BytesOf("archived keep"));
    a.b.Dir("sub", 1);
    a.b.File("new.txt", BytesOf("new"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    EXPECT_EQ(JoinLines(RestoreSelection(dir / "a.zma", dir.Path(), (DWORD)a.treeOffset)), "");
    EXPECT_EQ(ListTree(dir / "tree"), (std::set<std::string>{"keep.txt", "sub\\", "sub\\new.txt"}));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\keep.txt"), BytesOf("archived keep"));
}

TEST(RestoreFiles, ClearOffKeepsWhatTheArchiveDoesNotHold)
{
    CScratchDir dir;
    RestoreOptions options(0, 0, 0, 0);
    FillOldTree(dir);
    TreeArchive a(dir.Path(), 2);
    a.b.File("keep.txt", BytesOf("archived keep"));
    a.b.Dir("sub", 1);
    a.b.File("new.txt", BytesOf("new"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    EXPECT_EQ(JoinLines(RestoreSelection(dir / "a.zma", dir.Path(), (DWORD)a.treeOffset)),
              "[" + AlreadyExists(dir / "tree\\keep.txt") + "]");
    EXPECT_EQ(ListTree(dir / "tree"),
              (std::set<std::string>{"gone\\", "gone\\x.txt", "keep.txt", "old.txt", "sub\\",
                                     "sub\\new.txt", "sub\\old2.txt"}));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\keep.txt"), BytesOf("old keep"));
}

namespace {

// Records the directories it is asked to clear instead of clearing them.
class CClearRecorder : public CRecordedRestore {
public:
    std::vector<std::string> cleared;

protected:
    void ClearDirectory(LPCSTR path) override { cleared.push_back(path); }
};

} // namespace

TEST(RestoreFiles, DriveRecordsAreRestoredIntoButNeverCleared)
{
    CScratchDir dir;
    RestoreOptions options(0, 0, 1, 0);
    TreeArchive a(dir.Path(), 1);
    a.b.File("a.txt", BytesOf("a"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    CreateDirectoryA((dir / "tree").c_str(), nullptr);

    std::unique_ptr<CClearRecorder> r(new CClearRecorder);
    r->RestoreAll(nullptr, (dir / "a.zma").c_str(), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kSuccess) + "]");
    // Every existing directory record but the drive: the chain to the scratch
    // directory, then the tree.
    std::vector<std::string> expected;
    std::string path = dir.Path();
    for (size_t i = 3; i < path.size(); i++)
        if (path[i] == '\\')
            expected.push_back(path.substr(0, i));
    expected.push_back(dir / "tree");
    EXPECT_EQ(JoinLines(r->cleared), JoinLines(expected));
}

TEST(RestoreFiles, SelectionCreatesItsParentDirectories)
{
    CScratchDir dir;
    RestoreOptions options;
    CArchiveBuilder b(1, 1, 1, 0);
    b.Count(1);
    b.Chain("C:\\", 1);
    size_t file = b.File("f.txt", BytesOf("selected"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreSelection(dir / "a.zma", dir / "x\\y\\", (DWORD)file)), "");
    EXPECT_EQ(ReadFileBytes(dir / "x\\y\\f.txt"), BytesOf("selected"));
}

TEST(RestoreFiles, FileThatCannotBeWrittenIsReported)
{
    CScratchDir dir;
    RestoreOptions options(0, 0, 0, 1);
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    CreateDirectoryA((dir / "tree\\taken").c_str(), nullptr);
    TreeArchive a(dir.Path(), 2);
    a.b.File("taken", BytesOf("x"));
    a.b.File("next.txt", BytesOf("next"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")),
              "[Не удалось записать файл " + dir / "tree\\taken" + "]");
    EXPECT_TRUE(IsDirectoryAt(dir / "tree\\taken"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\next.txt"), BytesOf("next"));
}

TEST(RestoreFiles, DirectoryThatCannotBeCreatedIsReportedAndReadPast)
{
    CScratchDir dir;
    RestoreOptions options;
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir / "tree\\file", BytesOf("a file")));
    TreeArchive a(dir.Path(), 2);
    a.b.Dir("file", 2);
    a.b.File("x.txt", BytesOf("x"));
    a.b.Dir("deeper", 1);
    a.b.File("y.txt", BytesOf("y"));
    a.b.File("after.txt", BytesOf("after"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")),
              "[Не удалось создать каталог " + dir / "tree\\file" + "]");
    EXPECT_EQ(ReadFileBytes(dir / "tree\\file"), BytesOf("a file"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\after.txt"), BytesOf("after"));
}

namespace {

// Refuses memory for blocks of one size.
class CShortOfMemory : public CRecordedRestore {
public:
    DWORD refuse = 0;

protected:
    BYTE* AllocateBlock(DWORD size) override
    {
        return size == refuse ? nullptr : CRestore::AllocateBlock(size);
    }
};

} // namespace

TEST(RestoreFiles, RecordThatCannotBeHeldInMemoryIsReportedAndSkippedInPlace)
{
    CScratchDir dir;
    RestoreOptions options;
    const Bytes big = RandomBytes(50000, 9);
    const Bytes code = CArchiveBuilder::Encode(big);
    TreeArchive a(dir.Path(), 3);
    a.b.File("before.txt", BytesOf("before"));
    a.b.FileCode("big.bin", (DWORD)big.size(), code);
    a.b.File("after.txt", BytesOf("after"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    std::unique_ptr<CShortOfMemory> r(new CShortOfMemory);
    r->refuse = (DWORD)code.size();
    r->RestoreAll(nullptr, (dir / "a.zma").c_str(), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(JoinLines(r->m_messages),
              "[Недостаточно памяти для восстановления " + dir / "tree\\big.bin" + "]");
    EXPECT_FALSE(FileExistsAt(dir / "tree\\big.bin"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\before.txt"), BytesOf("before"));
    EXPECT_EQ(ReadFileBytes(dir / "tree\\after.txt"), BytesOf("after"));
}

TEST(RestoreFiles, CodeThatDecodesToAnotherSizeIsDamageAndLeavesNoFile)
{
    for (DWORD plain : {10u, 30u}) {
        CScratchDir dir;
        RestoreOptions options;
        TreeArchive a(dir.Path(), 3);
        a.b.File("before.txt", BytesOf("before"));
        a.b.FileCode("bad.bin", plain, CArchiveBuilder::Encode(RandomBytes(20, 1)));
        a.b.File("after.txt", BytesOf("after"));
        ASSERT_TRUE(a.b.Save(dir / "a.zma"));
        EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kDamaged) + "]");
        EXPECT_FALSE(FileExistsAt(dir / "tree\\bad.bin")) << plain;
        EXPECT_FALSE(FileExistsAt(dir / "tree\\after.txt")) << plain;
        EXPECT_TRUE(FileExistsAt(dir / "tree\\before.txt")) << plain;
    }
}

namespace {

CRestore* g_cancelTarget;
HWND g_itemLabel;
WNDPROC g_barProc;

// Cancels the restore once the bar shows three tenths of big.txt.
LRESULT CALLBACK CancellingBar(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    char item[MAX_PATH] = "";
    GetWindowTextA(g_itemLabel, item, sizeof item);
    std::string shown = item;
    bool big = shown.size() >= 7 && shown.compare(shown.size() - 7, 7, "big.txt") == 0;
    if (msg == PBM_SETPOS && (int)w >= 3 && big && g_cancelTarget)
        g_cancelTarget->m_bCancel = 1;
    return CallWindowProcA(g_barProc, h, msg, w, l);
}

} // namespace

TEST(RestoreFiles, CancelDuringALargeFileLeavesNothingBehind)
{
    CScratchDir dir;
    RestoreOptions options;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND frame = CreateWindowA("STATIC", "restore", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                               nullptr, nullptr, nullptr);
    HWND bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, frame,
                             nullptr, nullptr, nullptr);
    HWND label = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 40, 300, 20, frame, nullptr,
                               nullptr, nullptr);
    HWND percentLabel = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 220, 10, 60, 20, frame,
                                      nullptr, nullptr, nullptr);
    HWND list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 70, 300, 200,
                              frame, nullptr, nullptr, nullptr);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
    g_itemLabel = label;
    g_barProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)CancellingBar);

    const Bytes big = TextBytes(6u << 20, 5);
    TreeArchive a(dir.Path(), 3);
    a.b.File("first.txt", BytesOf("first"));
    a.b.File("big.txt", big);
    a.b.File("after.txt", BytesOf("after"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    std::unique_ptr<CRestore> r(new CRestore);
    g_cancelTarget = r.get();
    CWnd window(frame);
    CStatic item(label);
    CListCtrl messages(list);
    CProgressCtrl progress(bar);
    CStatic percent(percentLabel);
    r->RestoreAll(&window, (dir / "a.zma").c_str(), &item, &messages, &progress, &percent);
    g_cancelTarget = nullptr;

    EXPECT_EQ(r->m_bCancel, 1);
    EXPECT_FALSE(FileExistsAt(dir / "tree\\big.txt"));
    EXPECT_FALSE(FileExistsAt(dir / "tree\\after.txt"));
    EXPECT_TRUE(FileExistsAt(dir / "tree\\first.txt"));
    EXPECT_EQ(r->m_nLines, 0);
    EXPECT_EQ(messages.GetItemCount(), 0);
    char text[MAX_PATH] = "";
    GetWindowTextA(percentLabel, text, sizeof text);
    EXPECT_EQ(std::string(text), "30%") << "the labels keep their last state";
    GetWindowTextA(label, text, sizeof text);
    EXPECT_EQ(std::string(text), dir / "tree\\big.txt");
    DestroyWindow(frame);
}

TEST(RestoreFiles, MessagesAndCurrentItemGoToTheControls)
{
    CScratchDir dir;
    RestoreOptions options;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND frame = CreateWindowA("STATIC", "restore", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                               nullptr, nullptr, nullptr);
    HWND label = CreateWindowA("STATIC", "before", WS_CHILD | WS_VISIBLE, 10, 40, 300, 20, frame,
                               nullptr, nullptr, nullptr);
    HWND list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 70, 300, 200,
                              frame, nullptr, nullptr, nullptr);
    CListCtrl messages(list);
    messages.InsertColumn(0, "", 600);
    messages.AddLine("earlier line");
    CreateDirectoryA((dir / "tree").c_str(), nullptr);
    WriteFileBytes(dir / "tree\\a.txt", BytesOf("a"));
    TreeArchive a(dir.Path(), 1);
    a.b.File("a.txt", BytesOf("b"));
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));

    std::unique_ptr<CRestore> r(new CRestore);
    CWnd window(frame);
    CStatic item(label);
    r->RestoreAll(&window, (dir / "a.zma").c_str(), &item, &messages, nullptr, nullptr);
    ASSERT_EQ(messages.GetItemCount(), 2);
    char text[MAX_PATH] = "";
    messages.GetItemText(0, 0, text, sizeof text);
    EXPECT_EQ(std::string(text), "earlier line");
    messages.GetItemText(1, 0, text, sizeof text);
    EXPECT_EQ(std::string(text), AlreadyExists(dir / "tree\\a.txt"));
    GetWindowTextA(label, text, sizeof text);
    EXPECT_EQ(std::string(text), "");
    EXPECT_EQ(g_bEngineBusy, 0);
    DestroyWindow(frame);
}
