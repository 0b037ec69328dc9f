// Byte layouts of the archives the writer produces, on the test drive Q: and in a
// registry subtree of the tests' own.
#include "base/JobState.h"
#include "tests/backup/BackupTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const DWORD HKCU_CODE = 0x80000001u;
const DWORD HKCC_CODE = 0x80000005u;

struct Bld {
    Bytes b;
    Bld& U8(int v)
    {
        b.push_back((unsigned char)v);
        return *this;
    }
    Bld& U16(unsigned v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
    Bld& U32(unsigned v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bld& Name(const std::string& s)
    {
        U16((unsigned)s.size());
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    // Bytes taken over from the archive itself (times the test cannot know).
    Bld& Copy(const Bytes& from, size_t at, size_t n)
    {
        for (size_t i = at; i < at + n; i++)
            b.push_back(i < from.size() ? from[i] : 0);
        return *this;
    }
};

// The DOS date/time words at offset, as one 32-bit number date << 16 | time.
DWORD DosAt(const Bytes& b, size_t at)
{
    return (DWORD)(b[at] | b[at + 1] << 8) << 16 | (DWORD)(b[at + 2] | b[at + 3] << 8);
}

DWORD NowDos()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    WORD d, t;
    ExpectedDosTime(ft, d, t);
    return (DWORD)d << 16 | t;
}

// Two DOS times within a few seconds of each other (the clock moves on while
// the archive is written).
void ExpectNearNow(DWORD before, DWORD stored, DWORD after)
{
    EXPECT_LE(before, stored);
    EXPECT_LE(stored, after);
}

class BackupLayout : public ::testing::Test {
protected:
    CScratchDir dir;
    std::string archive = dir / "out.zma";
    CTestDrive drive;
};

} // namespace

TEST_F(BackupLayout, HeaderOnlyArchive)
{
    ResetJob(1, 1, 1, 1);
    g_osFamily = OS_NT4;
    SYSTEMTIME before, after;
    GetSystemTime(&before);
    BackupOutcome o = RunBackup(archive);
    GetSystemTime(&after);
    EXPECT_EQ(o.result, CBackup::RESULT_OK);
    EXPECT_TRUE(o.log.empty());
    Bytes b = ReadFileBytes(archive);
    ASSERT_EQ(b.size(), 29u) << Hex(b);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "ZMAFv1.0");
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "00 01 01 00 ");
    EXPECT_EQ(b[28], 1);
    // The creation time is universal time, as a SYSTEMTIME.
    SYSTEMTIME stored;
    std::memcpy(&stored, b.data() + 12, 16);
    FILETIME f0, f1, fs;
    SystemTimeToFileTime(&before, &f0);
    SystemTimeToFileTime(&after, &f1);
    ASSERT_TRUE(SystemTimeToFileTime(&stored, &fs));
    EXPECT_LE(CompareFileTime(&f0, &fs), 0);
    EXPECT_LE(CompareFileTime(&fs, &f1), 0);
    FILETIME back;
    SYSTEMTIME dow;
    FileTimeToSystemTime(&fs, &dow);
    EXPECT_EQ(stored.wDayOfWeek, dow.wDayOfWeek);
    (void)back;
}

TEST_F(BackupLayout, EmptyFileWithAttributesAndTimesIs82Bytes)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 1, 1, 0);
    MakeFile("Q:\\a.txt", {});
    ASSERT_TRUE(SetFileAttributesA("Q:\\a.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    FILETIME access = MakeTime(2001, 2, 3, 4, 5, 6), write = MakeTime(2010, 11, 12, 13, 14, 16);
    SetTimes("Q:\\a.txt", access, write);
    AddPath("Q:\\a.txt");

    DWORD before = NowDos();
    BackupOutcome o = RunBackup(archive);
    DWORD after = NowDos();
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    ASSERT_EQ(o.log, std::vector<std::string>{"Добавлен файл Q:\\a.txt"});
    Bytes b = ReadFileBytes(archive);
    ASSERT_EQ(b.size(), 82u) << Hex(b, 100);

    WORD ad, at, wd, wt;
    ExpectedDosTime(access, ad, at);
    ExpectedDosTime(write, wd, wt);
    Bld e;
    e.Copy(b, 0, 29).U32(1);
    e.U8(1).Name("Q:").U32(GetFileAttributesA("Q:\\")).Copy(b, 42, 8).U32(1);
    e.U8(2).Name("a.txt").U32(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    e.U16(ad).U16(at).U16(wd).U16(wt).U32(0).U32(0);
    EXPECT_EQ(Hex(b, 100), Hex(e.b, 100));
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "01 01 01 00 ");
    // A directory record carries the current time in both pairs.
    ExpectNearNow(before, DosAt(b, 42), after);
    EXPECT_EQ(DosAt(b, 42), DosAt(b, 46));
}

TEST_F(BackupLayout, WithoutAttributesAndTimesRecordsAre9And16Bytes)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\a.txt", {});
    AddPath("Q:\\a.txt");
    ASSERT_EQ(RunBackup(archive).result, CBackup::RESULT_OK);
    Bytes b = ReadFileBytes(archive);
    Bld e;
    e.Copy(b, 0, 29).U32(1).U8(1).Name("Q:").U32(1).U8(2).Name("a.txt").U32(0).U32(0);
    ASSERT_EQ(b.size(), 29u + 4 + 9 + 16);
    EXPECT_EQ(Hex(b, 100), Hex(e.b, 100));
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "01 00 00 00 ");
}

TEST_F(BackupLayout, WholeDriveIsOneTopLevelRecord)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\d\\e.txt", TextBytes(300, 1));
    AddPath("Q:\\");
    BackupOutcome o = RunBackup(archive);
    ASSERT_EQ(o.log, std::vector<std::string>{"Добавлен каталог Q:\\"});
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Describe(w), "files 1\n"
                           "D Q: [1]\n"
                           "  D d [1]\n"
                           "    F e.txt 300/" +
                               std::to_string(w.FindFile("Q:\\d\\e.txt")->codeSize) + "\n");
    EXPECT_EQ(w.trailingBytes, 0u);
}

TEST_F(BackupLayout, TwoFilesBelowOneDriveShareItsRecord)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\autoexec.bat", {});
    MakeFile("Q:\\config.sys", {});
    AddPath("Q:\\autoexec.bat");
    AddPath("Q:\\config.sys");
    BackupOutcome o = RunBackup(archive);
    EXPECT_EQ(o.log, (std::vector<std::string>{"Добавлен файл Q:\\autoexec.bat",
                                               "Добавлен файл Q:\\config.sys"}));
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Describe(w), "files 1\n"
                           "D Q: [2]\n"
                           "  F autoexec.bat 0/0\n"
                           "  F config.sys 0/0\n");
    EXPECT_EQ(w.size, 29u + 4 + 9 + (11 + 12) + (11 + 10));
}

TEST_F(BackupLayout, SiblingDirectoriesBelowOneDrive)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\A\\x.txt", {});
    MakeFile("Q:\\B\\y.txt", {});
    AddPath("Q:\\A\\x.txt");
    AddPath("Q:\\B\\y.txt");
    RunBackup(archive);
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Describe(w), "files 1\n"
                           "D Q: [2]\n"
                           "  D A [1]\n"
                           "    F x.txt 0/0\n"
                           "  D B [1]\n"
                           "    F y.txt 0/0\n");
}

TEST_F(BackupLayout, SameNamedDirectoriesUnderDifferentParentsStayApart)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\A\\Data\\f1", {});
    MakeFile("Q:\\B\\Data\\f2", {});
    AddPath("Q:\\A\\Data\\f1");
    AddPath("Q:\\B\\Data\\f2");
    RunBackup(archive);
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Describe(w), "files 1\n"
                           "D Q: [2]\n"
                           "  D A [1]\n"
                           "    D Data [1]\n"
                           "      F f1 0/0\n"
                           "  D B [1]\n"
                           "    D Data [1]\n"
                           "      F f2 0/0\n");
}

TEST_F(BackupLayout, ItemBelowAClosedAncestorGetsAFreshChain)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\A\\x", {});
    MakeFile("Q:\\A\\S\\z", {});
    MakeFile("Q:\\B\\y", {});
    AddPath("Q:\\A\\x");
    AddPath("Q:\\B\\y");
    AddPath("Q:\\A\\S\\z"); // A was closed by B
    AddPath("q:\\a\\S\\z"); // the same path in other case reuses the open chain
    RunBackup(archive);
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(w.trailingBytes, 0u);
    EXPECT_EQ(Describe(w), "files 1\n"
                           "D Q: [3]\n"
                           "  D A [1]\n"
                           "    F x 0/0\n"
                           "  D B [1]\n"
                           "    F y 0/0\n"
                           "  D A [1]\n"
                           "    D S [2]\n"
                           "      F z 0/0\n"
                           "      F z 0/0\n");
}

TEST_F(BackupLayout, WholeDriveAndItemsAroundIt)
{
    REQUIRE_TEST_DRIVE();
    ResetJob(1, 0, 0, 0);
    MakeFile("Q:\\f", {});
    MakeFile("Q:\\D\\g", {});
    AddPath("Q:\\f");
    AddPath("Q:\\");
    AddPath("Q:\\D\\");
    AddPath("Q:\\D\\g"); // below an item's own record: written under a new chain
    RunBackup(archive);
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(w.trailingBytes, 0u);
    ASSERT_EQ(w.fileCount, 3u) << Describe(w);
    EXPECT_EQ(w.files[0].childCount, 1u);
    EXPECT_EQ(w.files[1].childCount, 2u); // the whole drive: f and D
    EXPECT_EQ(w.files[2].childCount, 2u); // D (the item) and D again for g
    EXPECT_EQ(w.files[2].children[0].childCount, 1u);
    EXPECT_EQ(w.files[2].children[1].childCount, 1u);
}

TEST_F(BackupLayout, RegistryKeysBelowOneRootShareTheirAncestors)
{
    CTestKey key("BackupLayout");
    key.SetValue("A", "v", REG_SZ, TextBytes(5, 1));
    key.SetValue("B", "w", REG_DWORD, MakeBytes({1, 2, 3, 4}));
    ResetJob(0, 0, 0, 1);
    AddKey(HKCU_CODE, key.Path() + "\\A");
    AddKey(HKCU_CODE, key.Path() + "\\B");
    BackupOutcome o = RunBackup(archive);
    ASSERT_EQ(o.result, CBackup::RESULT_OK);
    EXPECT_EQ(o.log, (std::vector<std::string>{
                         "Добавлен ключ HKEY_CURRENT_USER\\" + key.Path() + "\\A",
                         "Добавлен ключ HKEY_CURRENT_USER\\" + key.Path() + "\\B"}));
    Bytes b = ReadFileBytes(archive);
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "00 00 00 01 ");
    std::string code5 = std::to_string(w.FindValue(HKCU_CODE, key.Path() + "\\A", "v")->codeSize);
    std::string code4 = std::to_string(w.FindValue(HKCU_CODE, key.Path() + "\\B", "w")->codeSize);
    EXPECT_EQ(Describe(w), "registry 1\n"
                           "K  S=1 V=0 root=80000001\n"
                           "  K Software S=1 V=0 root=80000001\n"
                           "    K ZelmoraTest S=1 V=0 root=80000001\n"
                           "      K BackupLayout S=2 V=0 root=80000001\n"
                           "        K A S=0 V=1 root=80000001\n"
                           "          V v t=1 5/" + code5 + "\n"
                           "        K B S=0 V=1 root=80000001\n"
                           "          V w t=4 4/" + code4 + "\n");
    // The root record: type 3, empty name, root code, S = 1, V = 0.
    EXPECT_EQ(Hex(Bytes(b.begin() + 33, b.begin() + 48)),
              "03 00 00 01 00 00 80 01 00 00 00 00 00 00 00 ");
}

TEST_F(BackupLayout, ValuesComeFirstAndEmptyAndDefaultValuesAreStored)
{
    CTestKey key("BackupValues");
    key.SetValue("K", "", REG_SZ, MakeBytes({'d', 'e', 'f', 0}));
    key.SetValue("K", "Empty", REG_BINARY, {});
    key.SetValue("K", "Odd", 0x1234, MakeBytes({9, 8, 7}));
    key.SetValue("K\\Sub", "n", REG_DWORD, MakeBytes({7, 0, 0, 0}));
    ResetJob(0, 0, 0, 1);
    AddKey(HKCU_CODE, key.Path() + "\\K");
    RunBackup(archive);
    Bytes b = ReadFileBytes(archive);
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    const WalkedRecord* k = w.FindKey(HKCU_CODE, key.Path() + "\\K");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->valueCount, 3u);
    EXPECT_EQ(k->childCount, 1u);
    ASSERT_EQ(k->children.size(), 4u);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(k->children[i].type, 4) << i;
    EXPECT_EQ(k->children[3].type, 3);
    EXPECT_EQ(k->children[3].name, "Sub");

    const WalkedRecord* def = w.FindValue(HKCU_CODE, key.Path() + "\\K", "");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(b[def->offset + 1], 0); // name length 0
    EXPECT_EQ(b[def->offset + 2], 0);
    EXPECT_EQ(def->valueType, (uint32_t)REG_SZ);
    Bytes data;
    ASSERT_TRUE(ExpandRecord(b, *def, data));
    EXPECT_EQ(data, MakeBytes({'d', 'e', 'f', 0}));

    const WalkedRecord* empty = w.FindValue(HKCU_CODE, key.Path() + "\\K", "Empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->valueType, (uint32_t)REG_BINARY);
    EXPECT_EQ(empty->plainSize, 0u);
    EXPECT_EQ(empty->codeSize, 0u);
    // type 4, name, type, plain size 0, code size 0
    Bld e;
    e.U8(4).Name("Empty").U32(REG_BINARY).U32(0).U32(0);
    EXPECT_EQ(Hex(Bytes(b.begin() + empty->offset, b.begin() + empty->endOffset)), Hex(e.b));

    const WalkedRecord* odd = w.FindValue(HKCU_CODE, key.Path() + "\\K", "Odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->valueType, 0x1234u);
    ASSERT_TRUE(ExpandRecord(b, *odd, data));
    EXPECT_EQ(data, MakeBytes({9, 8, 7}));
}

namespace {

std::string FirstSubkey(HKEY root)
{
    char name[MAX_PATH];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(root, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return "";
    return name;
}

void RootInfo(HKEY root, DWORD& subkeys, DWORD& values)
{
    subkeys = values = 0;
    RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
}

} // namespace

TEST_F(BackupLayout, WholeRootHoldsItsValuesAndSubkeysDirectly)
{
    ResetJob(0, 0, 0, 1);
    AddKey(HKCC_CODE, "");
    BackupOutcome o = RunBackup(archive);
    EXPECT_EQ(o.log, std::vector<std::string>{"Добавлен ключ HKEY_CURRENT_CONFIG\\"});
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    ASSERT_EQ(w.keyCount, 1u);
    DWORD subkeys, values;
    RootInfo(HKEY_CURRENT_CONFIG, subkeys, values);
    EXPECT_EQ(w.keys[0].name, "");
    EXPECT_EQ(w.keys[0].root, HKCC_CODE);
    EXPECT_EQ(w.keys[0].childCount, subkeys);
    EXPECT_EQ(w.keys[0].valueCount, values);
    EXPECT_EQ(w.trailingBytes, 0u);
}

TEST_F(BackupLayout, WholeRootAfterOtherKeysOfTheSameRootIsWrittenAgain)
{
    std::string sub = FirstSubkey(HKEY_CURRENT_CONFIG);
    ASSERT_FALSE(sub.empty());
    ResetJob(0, 0, 0, 1);
    AddKey(HKCC_CODE, sub);
    AddKey(HKCC_CODE, "");
    AddKey(HKCC_CODE, sub); // after the whole root: added below that root record
    BackupOutcome o = RunBackup(archive);
    EXPECT_EQ(o.log.size(), 3u);
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(w.trailingBytes, 0u);
    ASSERT_EQ(w.keyCount, 2u) << Describe(w);
    DWORD subkeys, values;
    RootInfo(HKEY_CURRENT_CONFIG, subkeys, values);
    EXPECT_EQ(w.keys[0].childCount, 1u);
    EXPECT_EQ(w.keys[0].valueCount, 0u);
    EXPECT_EQ(w.keys[0].children[0].name, sub);
    EXPECT_EQ(w.keys[1].valueCount, values);
    EXPECT_EQ(w.keys[1].childCount, subkeys + 1);
    EXPECT_EQ(w.keys[1].children.back().name, sub);
}

TEST_F(BackupLayout, RootsThatInterleaveGetFreshRootRecords)
{
    CTestKey key("BackupRoots");
    key.Create("A");
    key.Create("B");
    std::string sub = FirstSubkey(HKEY_CURRENT_CONFIG);
    ResetJob(0, 0, 0, 1);
    AddKey(HKCU_CODE, key.Path() + "\\A");
    AddKey(HKCC_CODE, sub);
    AddKey(HKCU_CODE, key.Path() + "\\B");
    AddKey(HKCU_CODE, key.Path() + "\\Missing"); // cannot be opened: an empty record
    BackupOutcome o = RunBackup(archive);
    EXPECT_EQ(o.log.size(), 4u);
    WalkedArchive w = WalkArchiveFile(archive);
    ASSERT_TRUE(w.ok) << w.error;
    ASSERT_EQ(w.keyCount, 3u) << Describe(w);
    EXPECT_EQ(w.keys[0].root, HKCU_CODE);
    EXPECT_EQ(w.keys[1].root, HKCC_CODE);
    EXPECT_EQ(w.keys[2].root, HKCU_CODE);
    const WalkedRecord* tail = &w.keys[2];
    while (!tail->children.empty() && tail->name != "BackupRoots")
        tail = &tail->children[0];
    ASSERT_EQ(tail->name, "BackupRoots");
    ASSERT_EQ(tail->childCount, 2u);
    EXPECT_EQ(tail->children[0].name, "B");
    EXPECT_EQ(tail->children[1].name, "Missing");
    EXPECT_EQ(tail->children[1].childCount, 0u);
    EXPECT_EQ(tail->children[1].valueCount, 0u);
    EXPECT_NE(std::find(o.unreadable.begin(), o.unreadable.end(),
                        "HKEY_CURRENT_USER\\" + key.Path() + "\\Missing"),
              o.unreadable.end());
}

TEST_F(BackupLayout, BothSectionsInOneArchive)
{
    REQUIRE_TEST_DRIVE();
    CTestKey key("BackupBoth");
    key.SetValue("", "x", REG_SZ, MakeBytes({'1', 0}));
    MakeFile("Q:\\f.txt", TextBytes(10, 2));
    ResetJob(1, 1, 0, 1);
    AddPath("Q:\\f.txt");
    AddKey(HKCU_CODE, key.Path());
    BackupOutcome o = RunBackup(archive);
    EXPECT_EQ(o.log.size(), 2u);
    Bytes b = ReadFileBytes(archive);
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "01 01 00 01 ");
    EXPECT_EQ(w.fileCount, 1u);
    EXPECT_EQ(w.keyCount, 1u);
    EXPECT_EQ(w.trailingBytes, 0u);
    EXPECT_EQ(w.keyCountOffset, w.files[0].endOffset);
}
