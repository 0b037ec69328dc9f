// Archives of real trees and registry keys decoded back and compared with what
// the file system and the registry hold.
#include "base/JobState.h"
#include "tests/backup/BackupTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

const DWORD HKCU_CODE = 0x80000001u;

// Names of a directory's entries, "." and ".." left out.
std::set<std::string> Listing(const std::string& dir)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..")
            names.insert(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

// Every directory and file record below rec matches the file system: names,
// attributes, write times and contents.
void CompareTree(const Bytes& archive, const WalkedRecord& rec, const std::string& path, int& files)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
    if (rec.hasAttributes) {
        EXPECT_EQ(rec.attributes, attributes) << path;
    }
    if (rec.type == 2) {
        files++;
        Bytes expected = ReadFileBytes(path), got;
        ASSERT_TRUE(ExpandRecord(archive, rec, got)) << path;
        EXPECT_EQ(got, expected) << path;
        if (rec.hasTimes) {
            HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            FILETIME c, a, w;
            GetFileTime(h, &c, &a, &w);
            CloseHandle(h);
            WORD d, t;
            ExpectedDosTime(w, d, t);
            EXPECT_EQ(rec.writeDate, d) << path;
            EXPECT_EQ(rec.writeTime, t) << path;
        }
        return;
    }
    ASSERT_EQ(rec.type, 1);
    std::string dir = path.back() == '\\' ? path : path + "\\";
    std::set<std::string> names;
    for (const WalkedRecord& c : rec.children)
        names.insert(c.name);
    EXPECT_EQ(names, Listing(dir)) << dir;
    EXPECT_EQ(rec.childCount, rec.children.size());
    for (const WalkedRecord& c : rec.children)
        CompareTree(archive, c, dir + c.name, files);
}

const WalkedRecord* Descend(const WalkedRecord& top, const std::string& fullPath)
{
    if (top.path == fullPath)
        return &top;
    for (const WalkedRecord& c : top.children)
        if (const WalkedRecord* r = Descend(c, fullPath))
            return r;
    return nullptr;
}

std::string NoSlash(const std::string& s) { return s.back() == '\\' ? s.substr(0, s.size() - 1) : s; }

} // namespace

TEST(BackupContent, TreeDecodesBackToTheFiles)
{
    CScratchDir work, tree;
    std::string root = tree.Path();
    MakeFile(root + "empty", {});
    MakeFile(root + "one", MakeBytes({0x5A}));
    MakeFile(root + "text.ini", TextBytes(4096, 3));
    MakeFile(root + "Folder\\text file.txt", TextBytes(100000, 4));
    MakeFile(root + "Folder\\deep\\er\\random.bin", RandomBytes(300000, 5));
    MakeFile(root + "Folder\\deep\\er\\17", RandomBytes(17, 6));
    MakeDirs(root + "empty dir");
    ASSERT_TRUE(SetFileAttributesA((root + "one").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    FILETIME access = MakeTime(1999, 12, 31, 23, 59, 58), write = MakeTime(2004, 2, 29, 12, 0, 1);
    SetTimes(root + "text.ini", access, write);

    ResetJob(1, 1, 1, 0);
    AddPath(root);
    BackupOutcome o = RunBackup(work / "tree.zma");
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    EXPECT_EQ(o.log, std::vector<std::string>{"Добавлен каталог " + root});
    EXPECT_TRUE(o.unreadable.empty());
    Bytes b = ReadFileBytes(work / "tree.zma");
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(w.trailingBytes, 0u);
    ASSERT_EQ(w.files.size(), 1u);
    const WalkedRecord* item = Descend(w.files[0], NoSlash(root));
    ASSERT_NE(item, nullptr) << Describe(w);
    int files = 0;
    CompareTree(b, *item, NoSlash(root), files);
    EXPECT_EQ(files, 6);

    const WalkedRecord* ini = w.FindFile(root + "text.ini");
    ASSERT_NE(ini, nullptr);
    WORD d, t;
    ExpectedDosTime(access, d, t);
    EXPECT_EQ(ini->accessDate, d);
    EXPECT_EQ(ini->accessTime, t);
    ExpectedDosTime(write, d, t);
    EXPECT_EQ(ini->writeDate, d);
    EXPECT_EQ(ini->writeTime, t);
    // The ancestors of the item each have exactly one child.
    const WalkedRecord* r = &w.files[0];
    while (r != item) {
        ASSERT_EQ(r->childCount, 1u) << r->path;
        r = &r->children[0];
    }
    RemoveTree(root); // read-only entries
}

TEST(BackupContent, TimesOutsideTheFatRangeAreClamped)
{
    CScratchDir work;
    MakeFile(work / "old", {});
    MakeFile(work / "new", {});
    SetTimes(work / "old", MakeTime(1975, 5, 5, 5, 5, 5), MakeTime(1970, 1, 2, 0, 0, 0));
    SetTimes(work / "new", MakeTime(2110, 1, 1, 0, 0, 0), MakeTime(2120, 1, 1, 0, 0, 0));
    ResetJob(1, 0, 1, 0);
    AddPath(work / "old");
    AddPath(work / "new");
    RunBackup(work / "t.zma");
    WalkedArchive w = WalkArchiveFile(work / "t.zma");
    ASSERT_TRUE(w.ok) << w.error;
    const WalkedRecord* old = w.FindFile(work / "old");
    const WalkedRecord* neu = w.FindFile(work / "new");
    ASSERT_TRUE(old && neu);
    EXPECT_EQ(old->accessDate, (1 << 5) | 1);
    EXPECT_EQ(old->accessTime, 0);
    EXPECT_EQ(old->writeDate, (1 << 5) | 1);
    EXPECT_EQ(neu->writeDate, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(neu->writeTime, (23 << 11) | (59 << 5) | 29);
}

TEST(BackupContent, LockedFileIsStoredEmptyAndReported)
{
    CScratchDir work, tree;
    MakeFile(tree / "ok.txt", TextBytes(1000, 1));
    MakeFile(tree / "locked.txt", TextBytes(1000, 2));
    HANDLE lock = CreateFileA((tree / "locked.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ResetJob(1, 0, 1, 0);
    AddPath(tree.Path());
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    WORD today, t;
    ExpectedDosTime(now, today, t);
    BackupOutcome o = RunBackup(work / "l.zma");
    CloseHandle(lock);
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    EXPECT_EQ(o.log.size(), 1u);
    EXPECT_EQ(o.unreadable, std::vector<std::string>{tree / "locked.txt"});
    Bytes b = ReadFileBytes(work / "l.zma");
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    const WalkedRecord* locked = w.FindFile(tree / "locked.txt");
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->plainSize, 0u);
    EXPECT_EQ(locked->codeSize, 0u);
    EXPECT_GE(locked->writeDate, today); // the current time stands in for its times
    Bytes data;
    ASSERT_TRUE(ExpandRecord(b, *w.FindFile(tree / "ok.txt"), data));
    EXPECT_EQ(data, TextBytes(1000, 1));
}

TEST(BackupContent, MissingItemsAreSkippedSilently)
{
    CScratchDir work, tree;
    MakeFile(tree / "here.txt", TextBytes(10, 1));
    MakeDirs(tree / "dir");
    ResetJob(1, 0, 0, 0);
    AddPath(tree / "gone.txt");
    AddPath(tree / "here.txt");
    AddPath(tree / "nodir\\");
    AddPath(tree / "here.txt\\"); // a file named as a directory
    AddPath(tree / "dir");        // a directory named as a file
    AddPath("\\\\server\\share\\x.txt");
    BackupOutcome o = RunBackup(work / "m.zma");
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    EXPECT_EQ(o.log, std::vector<std::string>{"Добавлен файл " + tree / "here.txt"});
    EXPECT_EQ(o.skipped.size(), 5u);
    WalkedArchive w = WalkArchiveFile(work / "m.zma");
    ASSERT_TRUE(w.ok) << w.error;
    ASSERT_EQ(w.fileCount, 1u);
    std::vector<const WalkedRecord*> all = w.AllRecords();
    EXPECT_EQ(all.back()->path, tree / "here.txt");
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const WalkedRecord* r) { return r->type == 2; }),
              1);
}

TEST(BackupContent, EntriesWithTooLongPathsAreLeftOutAndReported)
{
    CScratchDir work, tree;
    std::string base = tree.Path();
    std::string longName(std::max<int>(1, 255 - (int)base.size()), 'n');
    // base + longName fits, base + longName + "\" + anything does not.
    MakeFile(base + "short", {});
    std::string longDir = base + longName;
    ASSERT_LT(longDir.size(), (size_t)MAX_PATH);
    MakeDirs(longDir);
    std::string tooLong = "\\\\?\\" + longDir + "\\abcdefgh";
    std::wstring wide(tooLong.begin(), tooLong.end());
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(h);
    ResetJob(1, 0, 0, 0);
    AddPath(base);
    BackupOutcome o = RunBackup(work / "p.zma");
    DeleteFileW(wide.c_str());
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    WalkedArchive w = WalkArchiveFile(work / "p.zma");
    ASSERT_TRUE(w.ok) << w.error;
    ASSERT_NE(w.FindFile(base + "short"), nullptr);
    const WalkedRecord* dir = w.FindFile(longDir);
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir->childCount, 0u);
    EXPECT_EQ(o.unreadable, std::vector<std::string>{longDir + "\\abcdefgh"});
}

TEST(BackupContent, RegistryValuesDecodeBackToTheirData)
{
    CTestKey key("BackupContent");
    std::map<std::string, std::pair<DWORD, Bytes>> values = {
        {"", {REG_SZ, MakeBytes({'x', 0})}},
        {"Str", {REG_SZ, TextBytes(300, 1)}},
        {"Exp", {REG_EXPAND_SZ, MakeBytes({'%', 'a', '%', 0})}},
        {"Bin", {REG_BINARY, RandomBytes(5000, 2)}},
        {"Dw", {REG_DWORD, MakeBytes({1, 0, 0, 0})}},
        {"Multi", {REG_MULTI_SZ, MakeBytes({'a', 0, 'b', 0, 0})}},
        {"Пусто", {REG_BINARY, {}}},
        {std::string(259, 'L'), {REG_DWORD, MakeBytes({2, 0, 0, 0})}},
    };
    for (const auto& v : values)
        key.SetValue("V", v.first, v.second.first, v.second.second);
    // A name longer than a record can hold is passed over and reported.
    key.SetValue("V", std::string(300, 'X'), REG_DWORD, MakeBytes({3, 0, 0, 0}));
    key.SetValue("V\\Child\\Grandchild", "g", REG_SZ, MakeBytes({'g', 0}));
    key.Create("V\\Child2");

    ResetJob(0, 0, 0, 1);
    AddKey(HKCU_CODE, key.Path() + "\\V");
    CScratchDir work;
    BackupOutcome o = RunBackup(work / "r.zma");
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    ASSERT_EQ(o.unreadable.size(), 1u);
    EXPECT_EQ(o.unreadable[0].rfind("HKEY_CURRENT_USER\\" + key.Path() + "\\V\\<значение ", 0), 0u)
        << o.unreadable[0];
    Bytes b = ReadFileBytes(work / "r.zma");
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    const WalkedRecord* k = w.FindKey(HKCU_CODE, key.Path() + "\\V");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->valueCount, values.size());
    EXPECT_EQ(k->childCount, 2u);
    HKEY v = key.Create("V");
    for (const auto& value : values) {
        const WalkedRecord* r = w.FindValue(HKCU_CODE, key.Path() + "\\V", value.first);
        ASSERT_NE(r, nullptr) << value.first;
        EXPECT_EQ(r->valueType, value.second.first) << value.first;
        Bytes data;
        ASSERT_TRUE(ExpandRecord(b, *r, data)) << value.first;
        // The bytes the registry gives back (it may add a terminator to a string).
        Bytes stored(70000);
        DWORD type = 0, size = (DWORD)stored.size();
        ASSERT_EQ(RegQueryValueExA(v, value.first.c_str(), nullptr, &type, stored.data(), &size),
                  ERROR_SUCCESS);
        stored.resize(size);
        EXPECT_EQ(data, stored) << value.first;
        if (value.second.first != REG_SZ) {
            EXPECT_EQ(data, value.second.second) << value.first;
        }
    }
    RegCloseKey(v);
    const WalkedRecord* g = w.FindValue(HKCU_CODE, key.Path() + "\\V\\Child\\Grandchild", "g");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(w.FindKey(HKCU_CODE, key.Path() + "\\V\\Child2")->childCount, 0u);
}

TEST(BackupContent, CyrillicNamesAreStoredInCodePage1251)
{
    CScratchDir work, tree;
    std::string name = "Папка";
    if (!CreateDirectoryA((tree / name).c_str(), nullptr))
        GTEST_SKIP() << "the file system here cannot hold Cyrillic names";
    MakeFile(tree / (name + "\\файл.txt"), TextBytes(100, 1));
    ResetJob(1, 0, 0, 0);
    AddPath(tree / (name + "\\"));
    BackupOutcome o = RunBackup(work / "c.zma");
    EXPECT_EQ(o.log, std::vector<std::string>{"Добавлен каталог " + tree / (name + "\\")});
    Bytes b = ReadFileBytes(work / "c.zma");
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    const WalkedRecord* f = w.FindFile(tree / (name + "\\файл.txt"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Hex(Bytes(f->name.begin(), f->name.end())), "F4 E0 E9 EB 2E 74 78 74 ");
}
