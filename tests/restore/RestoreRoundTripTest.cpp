// Archive, remove, restore: real trees and a registry subtree written by zmcli
// archive (the archive writer) and put back by zmcli restore, then compared with
// what was there before: contents, attributes and time stamps.
#include "base/JobState.h"
#include "cli/ArchiveCommand.h"
#include "cli/RestoreCommand.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Wine shows every plain file with the archive bit; the rest is compared.
const DWORD kMask =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

struct Entry {
    DWORD attributes = 0;
    DosStamp stamp = {};
    bool operator==(const Entry& o) const
    {
        return attributes == o.attributes && SameStamp(stamp, o.stamp);
    }
};

// Attributes of every entry below a directory and the stamps of its files,
// taken without reading any file (reading moves the last-access time).
std::map<std::string, Entry> Stamps(const std::string& root)
{
    std::map<std::string, Entry> out;
    for (const std::string& rel : ListTree(root)) {
        Entry e;
        e.attributes = Attributes(root + rel) & kMask;
        if (rel.back() != '\\')
            ReadDosStamp(root + rel, e.stamp);
        out[rel] = e;
    }
    return out;
}

std::string Describe(const std::map<std::string, Entry>& m)
{
    std::string s;
    char buf[64];
    for (const auto& e : m) {
        std::snprintf(buf, sizeof buf, " %02X %04X%04X%04X%04X\n", (unsigned)e.second.attributes,
                      e.second.stamp.accessDate, e.second.stamp.accessTime,
                      e.second.stamp.writeDate, e.second.stamp.writeTime);
        s += e.first + buf;
    }
    return s;
}

} // namespace

TEST(RestoreRoundTrip, TreeComesBackWithContentsAttributesAndTimes)
{
    CScratchDir dir;
    const std::string src = dir / "src\\";
    std::map<std::string, Bytes> files = {
        {"empty.txt", {}},
        {"text.txt", TextBytes(20000, 1)},
        {"big.bin", TextBytes((4u << 20) + 123457, 2)},
        {"noise.bin", RandomBytes(100000, 3)},
        {"ro.txt", TextBytes(300, 4)},
        {"hs.sys", RandomBytes(50, 5)},
        {"a\\b\\c\\deep.txt", TextBytes(1000, 6)},
        {"a\\b\\x.bin", RandomBytes(5000, 7)},
        {"a\\empty.dat", {}},
    };
    if (CyrillicNamesWork(dir))
        files["Папка\\Файл с именем.txt"] = TextBytes(2000, 8);
    CreateDirectoryA(src.c_str(), nullptr);
    CreateDirectoryA((src + "a").c_str(), nullptr);
    CreateDirectoryA((src + "a\\b").c_str(), nullptr);
    CreateDirectoryA((src + "a\\b\\c").c_str(), nullptr);
    CreateDirectoryA((src + "a\\empty dir").c_str(), nullptr);
    CreateDirectoryA((src + "Папка").c_str(), nullptr);
    int n = 0;
    for (const auto& f : files) {
        ASSERT_TRUE(WriteFileBytes(src + f.first, f.second)) << f.first;
        SetStamps(src + f.first, n++);
    }
    SetFileAttributesA((src + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((src + "hs.sys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((src + "a\\b").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::map<std::string, Entry> before = Stamps(src);

    std::string out;
    ASSERT_EQ(RunCommand(ArchiveCommand, dir, {dir / "a.zma", "-a", "-t", src}, &out), 0) << out;
    RemoveTree(src);
    ASSERT_FALSE(IsDirectoryAt(src));

    EXPECT_EQ(RunCommand(RestoreCommand, dir, {dir / "a.zma", "-a", "-t"}, &out), 0);
    EXPECT_EQ(out, std::string(CRestore::kSuccess) + "\n");
    const std::map<std::string, Entry> after = Stamps(src);
    EXPECT_EQ(Describe(after), Describe(before));
    for (const auto& f : files)
        EXPECT_TRUE(ReadFileBytes(src + f.first) == f.second) << f.first;

    // Restoring again with overwrite off: one line per file, no success line,
    // and nothing changes.
    std::vector<std::string> expected;
    for (const auto& e : before)
        if (e.first.back() != '\\')
            expected.push_back("Файл " + src + e.first + " уже существует");
    std::string lines;
    EXPECT_EQ(RunCommand(RestoreCommand, dir, {dir / "a.zma"}, &lines), 1);
    size_t count = 0;
    for (char c : lines)
        count += c == '\n';
    EXPECT_EQ(count, expected.size());
    for (const std::string& line : expected)
        EXPECT_NE(lines.find(line + "\n"), std::string::npos) << line;
    EXPECT_EQ(lines.find(CRestore::kSuccess), std::string::npos);

    // Overwrite on puts back a read-only file that was changed.
    SetFileAttributesA((src + "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteFileBytes(src + "ro.txt", BytesOf("changed")));
    SetFileAttributesA((src + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RunCommand(RestoreCommand, dir, {dir / "a.zma", "-o", "-a", "-t"}, &out), 0) << out;
    EXPECT_TRUE(ReadFileBytes(src + "ro.txt") == files["ro.txt"]);
    g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;
}

TEST(RestoreRoundTrip, RegistrySubtreeComesBackExactly)
{
    CScratchDir dir;
    CTestKey key("RestoreRoundTrip");
    Put(key.Path(), "", REG_SZ, BytesOf(std::string("default", 8)));
    Put(key.Path(), "sz", REG_SZ, BytesOf(std::string("text", 5)));
    Put(key.Path(), "expand", REG_EXPAND_SZ, BytesOf(std::string("%TEMP%\\x", 9)));
    Put(key.Path(), "binary", REG_BINARY, RandomBytes(5000, 1));
    Put(key.Path(), "dword", REG_DWORD, MakeBytes({0xEF, 0xBE, 0xAD, 0xDE}));
    Put(key.Path(), "multi", REG_MULTI_SZ, BytesOf(std::string("a\0bb\0\0", 6)));
    Put(key.Path(), "qword", 11, MakeBytes({1, 2, 3, 4, 5, 6, 7, 8}));
    Put(key.Path(), "empty binary", REG_BINARY, {});
    Put(key.Path(), "none", REG_NONE, {});
    Put(key.Path(), "Значение", REG_SZ, BytesOf(std::string("Текст", 6)));
    Put(key / "a\\b\\c\\d\\e", "deep", REG_DWORD, MakeBytes({5, 0, 0, 0}));
    Put(key / "a\\b\\c\\d\\e", "", REG_BINARY, MakeBytes({1}));
    Put(key / "a\\b", "mid", REG_SZ, BytesOf(std::string("", 1)));
    Put(key / "Ключ", "x", REG_DWORD, MakeBytes({7, 0, 0, 0}));
    HKEY empty;
    RegCreateKeyExA(HKEY_CURRENT_USER, (key / "empty key").c_str(), 0, nullptr, 0, KEY_WRITE,
                    nullptr, &empty, nullptr);
    RegCloseKey(empty);
    KeySnapshot before;
    SnapshotKey(key.Path(), "", before);

    std::string out;
    ASSERT_EQ(RunCommand(ArchiveCommand, dir, {dir / "r.zma", "HKEY_CURRENT_USER\\" + key.Path()}, &out),
              0)
        << out;
    DeleteKeyTree(HKEY_CURRENT_USER, key.Path());
    ASSERT_FALSE(KeyExists(key.Path()));

    EXPECT_EQ(RunCommand(RestoreCommand, dir, {dir / "r.zma"}, &out), 0);
    EXPECT_EQ(out, std::string(CRestore::kSuccess) + "\n");
    KeySnapshot after;
    SnapshotKey(key.Path(), "", after);
    EXPECT_EQ(Describe(after), Describe(before));
}
