#include "base/FileNames.h"
#include "base/Profile.h"
#include "base/Settings.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

namespace {

// Positions of the keys in the file text must rise in table order.
void ExpectKeysInOrder(const std::string& text)
{
    const char* keys[] = {"[Interface]", "MinimizeToTray=False", "[Priorities]",
                          "BackupThreadPriority=0", "RestoreThreadPriority=0",
                          "ScanThreadPriority=0", "CompareThreadPriority=0", "[Paths]",
                          "WinSErPath=", "[Folders]", "ZMAFolder=Archives", "ZMRFolder=Reports",
                          "LOGFolder=Logs"};
    size_t last = 0;
    for (const char* k : keys) {
        size_t at = text.find(k, last);
        ASSERT_NE(std::string::npos, at) << k << " in\n" << text;
        last = at;
    }
}

TEST(Settings, MissingFileIsCompletedWithAllKeysInOrder)
{
    CScratchDir dir;
    std::string ini = dir / "ZM.ini";
    {
        CSettings s;
        s.SetPath(ini.c_str());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, s.m_dwSavedAttributes);
        s.Load();
        EXPECT_FALSE(s.MinimizeToTray);
        EXPECT_EQ(0, s.BackupThreadPriority);
        EXPECT_STREQ("", s.WinSErPath);
        EXPECT_STREQ("Archives", s.ZMAFolder);
        EXPECT_STREQ("Reports", s.ZMRFolder);
        EXPECT_STREQ("Logs", s.LOGFolder);
        s.Save();
    }
    ExpectKeysInOrder(ReadText(ini));
    DWORD attrs = GetFileAttributesA(ini.c_str());
    EXPECT_FALSE(attrs & FILE_ATTRIBUTE_READONLY);
}

TEST(Settings, PartialFileKeepsItsValuesAndGetsTheRest)
{
    CScratchDir dir;
    std::string ini = dir / "ZM.ini";
    WriteText(ini, "[Folders]\r\nZMRFolder=D:\\Отчеты\r\n[Priorities]\r\nScanThreadPriority=2\r\n");
    CSettings s;
    s.SetPath(ini.c_str());
    s.Load();
    s.Save();
    EXPECT_STREQ("D:\\Отчеты", s.ZMRFolder);
    EXPECT_EQ(2, s.ScanThreadPriority);
    std::string text = ReadText(ini);
    EXPECT_NE(std::string::npos, text.find("ZMRFolder=D:\\Отчеты"));
    EXPECT_NE(std::string::npos, text.find("ScanThreadPriority=2"));
    EXPECT_NE(std::string::npos, text.find("MinimizeToTray=False"));
    EXPECT_NE(std::string::npos, text.find("LOGFolder=Logs"));
}

TEST(Settings, ReadOnlyHiddenFileIsWrittenAndGetsItsAttributesBack)
{
    CScratchDir dir;
    std::string ini = dir / "ZM.ini";
    WriteText(ini, "[Interface]\r\nMinimizeToTray=True\r\n");
    DWORD original = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), original));
    {
        CSettings s;
        s.SetPath(ini.c_str());
        EXPECT_EQ(original, s.m_dwSavedAttributes);
        EXPECT_FALSE(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_READONLY);
        s.Load();
        EXPECT_TRUE(s.MinimizeToTray);
        s.MinimizeToTray = FALSE;
        s.LOGFolder[0] = 'X';
        s.LOGFolder[1] = 0;
        s.Save(); // while running the read-only file takes changes
        std::string text = ReadText(ini);
        EXPECT_NE(std::string::npos, text.find("MinimizeToTray=False"));
        EXPECT_NE(std::string::npos, text.find("LOGFolder=X"));
    }
    EXPECT_EQ(original, GetFileAttributesA(ini.c_str()));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Settings, WithoutPathNothingIsWritten)
{
    CSettings s;
    s.Save(); // must not go to win.ini
    s.Load();
    EXPECT_STREQ("Archives", s.ZMAFolder);
}

TEST(Settings, GetSettingsIsTheLiveObject)
{
    CSettings outer;
    EXPECT_EQ(&outer, &GetSettings());
    {
        CSettings inner;
        EXPECT_EQ(&inner, &GetSettings());
    }
    // The default object stands in once the newest is gone.
    EXPECT_EQ(0, GetSettings().RestoreThreadPriority);
}

TEST(Settings, GetSettingsFindsAnOlderObjectAgain)
{
    CSettings outer;
    outer.RestoreThreadPriority = 2;
    {
        CSettings inner;
        EXPECT_EQ(&inner, &GetSettings());
    }
    EXPECT_EQ(&outer, &GetSettings());
    EXPECT_EQ(2, GetSettings().RestoreThreadPriority);
}

TEST(Settings, GetSettingsFollowsObjectsDestroyedInAnyOrder)
{
    std::unique_ptr<CSettings> first(new CSettings), second(new CSettings), third(new CSettings);
    CSettings* a = first.get();
    CSettings* c = third.get();
    EXPECT_EQ(c, &GetSettings());
    second.reset(); // from the middle
    EXPECT_EQ(c, &GetSettings());
    third.reset();
    EXPECT_EQ(a, &GetSettings());
    CSettings fourth; // a newer one comes first again
    EXPECT_EQ(&fourth, &GetSettings());
    first.reset();
    EXPECT_EQ(&fourth, &GetSettings());
}

TEST(Settings, DefaultsStandInOnlyWhileNoObjectLives)
{
    // Without a live object, one process-wide object of the defaults, always the same.
    CSettings& defaults = GetSettings();
    EXPECT_EQ(&defaults, &GetSettings());
    EXPECT_STREQ("Archives", defaults.ZMAFolder);
    EXPECT_STREQ("", defaults.m_szPath);
    {
        CSettings live;
        EXPECT_EQ(&live, &GetSettings());
        CSettings newer;
        EXPECT_EQ(&newer, &GetSettings());
    }
    EXPECT_EQ(&defaults, &GetSettings());
}

// A copy would give the file its attributes back when it is destroyed, while
// the original still holds the file open for writing.
TEST(Settings, CannotBeCopied)
{
    EXPECT_FALSE(std::is_copy_constructible<CSettings>::value);
    EXPECT_FALSE(std::is_copy_assignable<CSettings>::value);
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { ini = dir / "p.ini"; }
    BOOL Bool(const char* text)
    {
        WritePrivateProfileStringA("S", "K", text, ini.c_str());
        return ProfileReadBool(ini.c_str(), "S", "K", FALSE);
    }
    int Int(const char* text)
    {
        WritePrivateProfileStringA("S", "K", text, ini.c_str());
        return ProfileReadInt(ini.c_str(), "S", "K", 99);
    }
    CScratchDir dir;
    std::string ini;
};

TEST_F(ProfileTest, Booleans)
{
    EXPECT_TRUE(Bool("True"));
    EXPECT_TRUE(Bool("TRUE"));
    EXPECT_TRUE(Bool("true"));
    EXPECT_TRUE(Bool("1"));
    EXPECT_TRUE(Bool("Truest")); // only four characters are read
    EXPECT_FALSE(Bool("Yes"));
    EXPECT_FALSE(Bool("False"));
    EXPECT_FALSE(Bool("10"));
    EXPECT_FALSE(Bool(""));
    EXPECT_TRUE(ProfileReadBool(ini.c_str(), "S", "Missing", TRUE));
    EXPECT_FALSE(ProfileReadBool(ini.c_str(), "S", "Missing", FALSE));
    ProfileWriteBool(ini.c_str(), "S", "B", TRUE);
    char text[16];
    GetPrivateProfileStringA("S", "B", "", text, sizeof(text), ini.c_str());
    EXPECT_STREQ("True", text);
    ProfileWriteBool(ini.c_str(), "S", "B", FALSE);
    GetPrivateProfileStringA("S", "B", "", text, sizeof(text), ini.c_str());
    EXPECT_STREQ("False", text);
}

TEST_F(ProfileTest, Integers)
{
    EXPECT_EQ(7, Int("7"));
    EXPECT_EQ(-15, Int("-15"));
    EXPECT_EQ(0, Int("high"));
    EXPECT_EQ(12, Int("12abc"));
    EXPECT_EQ(0, Int("00000000000000123")); // only 14 characters are read
    EXPECT_EQ(123, Int("00000000000123"));
    EXPECT_EQ(99, ProfileReadInt(ini.c_str(), "S", "Missing", 99));
    ProfileWriteInt(ini.c_str(), "S", "I", -2);
    EXPECT_EQ(-2, ProfileReadInt(ini.c_str(), "S", "I", 0));
    ProfileWriteHex(ini.c_str(), "S", "H", 0xBEEF);
    char text[16];
    GetPrivateProfileStringA("S", "H", "", text, sizeof(text), ini.c_str());
    EXPECT_STREQ("BEEF", text);
    EXPECT_EQ(0xBEEF, ProfileReadHex(ini.c_str(), "S", "H", 0));
    EXPECT_EQ(0x1F, ProfileReadHex(ini.c_str(), "S", "Missing", 0x1F));
}

TEST_F(ProfileTest, Strings)
{
    ProfileWriteString(ini.c_str(), "S", "T", "C:\\Программы\\editor.exe");
    char text[MAX_PATH];
    DWORD n = ProfileReadString(ini.c_str(), "S", "T", "", text, sizeof(text));
    EXPECT_STREQ("C:\\Программы\\editor.exe", text);
    EXPECT_EQ(strlen(text), n);
    char small[5];
    n = ProfileReadString(ini.c_str(), "S", "T", "", small, sizeof(small));
    EXPECT_EQ(4u, n);
    EXPECT_STREQ("C:\\П", small);
}

TEST(SettingsPriorities, StoredValuesAndChoices)
{
    const int values[] = {-15, -2, -1, 0, 1, 2, 15};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(values[i], PriorityValue(i));
        EXPECT_EQ(i, PriorityChoice(values[i]));
    }
    EXPECT_EQ(0, PriorityChoice(7)); // unknown value shows as the first choice
    EXPECT_EQ(0, PriorityChoice(-3));
    EXPECT_EQ(0, PriorityValue(-1)); // no selection stores 0
    EXPECT_EQ(0, PriorityValue(7));
}

TEST(SettingsPriorities, OutOfRangeValueIsKeptAsStored)
{
    CScratchDir dir;
    std::string ini = dir / "ZM.ini";
    WriteText(ini, "[Priorities]\r\nRestoreThreadPriority=7\r\nBackupThreadPriority=x\r\n");
    CSettings s;
    s.SetPath(ini.c_str());
    s.Load();
    EXPECT_EQ(7, s.RestoreThreadPriority);
    EXPECT_EQ(0, s.BackupThreadPriority);
    s.Save();
    EXPECT_NE(std::string::npos, ReadText(ini).find("RestoreThreadPriority=7"));
}

class NumberedNameTest : public ::testing::Test {
protected:
    void Touch(const char* name) { WriteText(dir / ("Archives\\" + std::string(name)), "x"); }
    std::string Next()
    {
        char out[MAX_PATH];
        MakeNumberedName(out, "Arc", "zma", folder.c_str());
        return out;
    }
    CScratchDir dir;
    std::string folder = dir / "Archives";
};

TEST_F(NumberedNameTest, EmptyFolderIsCreatedAndGivesZero)
{
    EXPECT_EQ(folder + "\\Arc0000.zma", Next());
    EXPECT_TRUE(IsDirectory(folder.c_str()));
    // A folder given with its backslash gets no second one.
    char out[MAX_PATH];
    MakeNumberedName(out, "Rep", "zmr", (folder + "\\").c_str());
    EXPECT_EQ(folder + "\\Rep0000.zmr", std::string(out));
}

TEST_F(NumberedNameTest, HighestPlusOneGapsNotReused)
{
    Next();
    Touch("Arc0000.zma");
    Touch("Arc0007.zma");
    EXPECT_EQ(folder + "\\Arc0008.zma", Next());
}

TEST_F(NumberedNameTest, NamesThatDoNotScanAreSkipped)
{
    Next();
    Touch("Arc0003.zma");
    Touch("ArcX.zma");
    Touch("Rep0050.zma");
    Touch("Arc0040.zmr");
    EXPECT_EQ(folder + "\\Arc0004.zma", Next());
}

TEST_F(NumberedNameTest, PrefixIsMatchedLikeTheFileSystemDoes)
{
    Next();
    Touch("ARC0009.ZMA");
    EXPECT_EQ(folder + "\\Arc0010.zma", Next());
}

TEST_F(NumberedNameTest, BeyondFourDigitsNoExistingNameIsProposed)
{
    Next();
    Touch("Arc9999.zma");
    EXPECT_EQ(folder + "\\Arc10000.zma", Next());
    // Arc10000 reads back as 1000 (four digits), so the highest stays 9999;
    // the proposal moves on rather than naming the existing file again.
    Touch("Arc10000.zma");
    EXPECT_EQ(folder + "\\Arc10001.zma", Next());
}

TEST(FileNames, ExistenceTests)
{
    CScratchDir dir;
    std::string file = dir / "a b.txt";
    WriteText(file, "x");
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_FALSE(FileExists((dir / "missing.txt").c_str()));
    EXPECT_FALSE(FileExists(dir.Path().c_str()));
    EXPECT_TRUE(IsDirectory(dir.Path().c_str()));
    EXPECT_FALSE(IsDirectory(file.c_str()));
    EXPECT_FALSE(IsDirectory((dir / "missing").c_str()));
    // A path longer than the old 128-character limit of OpenFile.
    std::string deep = dir.Path();
    for (int i = 0; i < 6; ++i) {
        deep += std::string(30, (char)('a' + i)) + "\\";
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    std::string longFile = deep + "file.dat";
    WriteText(longFile, "y");
    ASSERT_GT(longFile.size(), 150u);
    EXPECT_TRUE(FileExists(longFile.c_str()));
    // A bare name is not looked for along the search path.
    EXPECT_FALSE(FileExists("notepad.exe"));
}

TEST(FileNames, Parts)
{
    char p1[] = "C:\\dir\\sub\\file.zma";
    EXPECT_STREQ("file.zma", FileNamePart(p1));
    DirectoryPart(p1);
    EXPECT_STREQ("C:\\dir\\sub\\", p1);
    char p2[] = "C:\\dir\\";
    EXPECT_STREQ("", FileNamePart(p2));
    DirectoryPart(p2);
    EXPECT_STREQ("C:\\dir\\", p2);
    char p3[] = "file.zma";
    EXPECT_STREQ("file.zma", FileNamePart(p3));
    DirectoryPart(p3);
    EXPECT_STREQ("file.zma", p3);
}

} // namespace
