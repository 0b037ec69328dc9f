// Counting and deleting walks of the scanner, as the archive writer and the
// restore engine use them on an object constructed in place.
#include "scan/Scan.h"

#include "base/JobState.h"
#include "tests/scan/ReportReader.h"
#include "tests/scan/ScanTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

class ScanWalk : public ::testing::Test {
protected:
    void SetUp() override { std::memset(ScanFlags, 0, sizeof ScanFlags); }
    CScratchDir dir;
};

} // namespace

TEST_F(ScanWalk, CountModeCountsEveryFileAndDirectoryBelowTheTree)
{
    std::string root = dir / "tree";
    MakeDir(root);
    MakeFile(root + "\\a.txt", "a");
    MakeFile(root + "\\b.bin", "bb");
    MakeDir(root + "\\sub");
    MakeFile(root + "\\sub\\c", "");
    MakeDir(root + "\\sub\\deeper");
    MakeDir(root + "\\sub\\deeper\\empty");
    MakeFile(root + "\\sub\\deeper\\d", "d");

    CScan scan;
    scan.ScanDirectory(root.c_str(), CScan::MODE_COUNT);
    EXPECT_EQ(scan.m_nRecords, 7u);
    // The count adds up over calls and does not depend on the trailing backslash.
    scan.ScanDirectory((root + "\\sub\\").c_str(), CScan::MODE_COUNT);
    EXPECT_EQ(scan.m_nRecords, 11u);
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, CountModeOfAMissingOrEmptyDirectoryIsZero)
{
    CScan scan;
    scan.ScanDirectory((dir / "missing").c_str(), CScan::MODE_COUNT);
    scan.ScanDirectory(dir.Path().c_str(), CScan::MODE_COUNT);
    scan.ScanDirectory("", CScan::MODE_COUNT);
    EXPECT_EQ(scan.m_nRecords, 0u);
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, CountModeStopsWhenCancelled)
{
    std::string root = dir / "many";
    MakeDir(root);
    for (int i = 0; i < 20; i++)
        MakeFile(root + "\\f" + std::to_string(i), "x");
    CScan scan;
    scan.m_bCancel = 1;
    scan.ScanDirectory(root.c_str(), CScan::MODE_COUNT);
    EXPECT_LE(scan.m_nRecords, 1u); // at most the entry in hand, then the loop ends
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, DeleteModeClearsReadOnlyHiddenAndSystemFilesAndTheTreeItself)
{
    std::string root = dir / "victim";
    MakeDir(root);
    MakeFile(root + "\\plain.txt", "p");
    MakeFile(root + "\\ro.txt", "r");
    MakeFile(root + "\\hidden.sys", "h");
    MakeDir(root + "\\sub");
    MakeDir(root + "\\sub\\ro_dir");
    MakeFile(root + "\\sub\\ro_dir\\x", "x");
    SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((root + "\\hidden.sys").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((root + "\\sub\\ro_dir").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFile(dir / "outside.txt", "keep");
    MakeFile(dir / "victim2.txt", "keep"); // a name that starts like the tree

    CScan scan;
    scan.ScanDirectory((root + "\\").c_str(), CScan::MODE_DELETE);
    EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FileExistsAt(dir / "outside.txt"));
    EXPECT_TRUE(FileExistsAt(dir / "victim2.txt"));
    EXPECT_EQ(scan.m_nRecords, 0u);
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, DeleteModeKeepsAFileThatCannotBeDeletedAndItsDirectory)
{
    std::string root = dir / "busy";
    MakeDir(root);
    MakeFile(root + "\\open.txt", "o");
    MakeFile(root + "\\other.txt", "x");
    HANDLE held = CreateFileA((root + "\\open.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CScan scan;
    scan.ScanDirectory(root.c_str(), CScan::MODE_DELETE);
    CloseHandle(held);
    EXPECT_TRUE(FileExistsAt(root + "\\open.txt"));
    EXPECT_FALSE(FileExistsAt(root + "\\other.txt"));
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, DeleteModeOfAnEmptyPathDoesNothing)
{
    // An empty path must never turn into the root of the current drive.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    MakeFile(dir / "stay.txt", "s");
    CScan scan;
    scan.ScanDirectory("", CScan::MODE_DELETE);
    SetCurrentDirectoryA(cwd);
    EXPECT_TRUE(FileExistsAt(dir / "stay.txt"));
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, RegistryCountModeCountsKeysNotValues)
{
    CTestKey key("Count");
    key.Set("", "v1", REG_SZ, "x", 2);
    key.Create("A");
    key.Create("A\\B");
    key.Create("A\\B\\C");
    key.Create("D");
    key.Set("D", "v2", REG_DWORD, "\1\0\0\0", 4);

    CScan scan;
    scan.ScanKey(HKEY_CURRENT_USER, key.Path().c_str(), CScan::MODE_COUNT);
    EXPECT_EQ(scan.m_nRecords, 4u);
    scan.m_nRecords = 0;
    scan.ScanKey(HKEY_CURRENT_USER, (key.Path() + "\\missing").c_str(), CScan::MODE_COUNT);
    EXPECT_EQ(scan.m_nRecords, 0u);
    // There is no deleting walk of keys.
    scan.ScanKey(HKEY_CURRENT_USER, key.Path().c_str(), CScan::MODE_DELETE);
    EXPECT_EQ(scan.m_nRecords, 0u);
    HKEY probe;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (key.Path() + "\\A\\B\\C").c_str(), 0, KEY_READ,
                            &probe),
              ERROR_SUCCESS);
    RegCloseKey(probe);
    g_bEngineBusy = 0;
}

TEST(ScanObject, ConstructionSetsBusyAndClearsCancel)
{
    g_bEngineBusy = 0;
    CScan scan;
    EXPECT_EQ(g_bEngineBusy, 1);
    EXPECT_EQ(scan.m_bCancel, 0);
    EXPECT_EQ(scan.m_nRecords, 0u);
    EXPECT_EQ(scan.m_pszReportPath, nullptr);
    scan.SetReportPath("C:\\x.zmr");
    ASSERT_NE(scan.m_pszReportPath, nullptr);
    EXPECT_STREQ(scan.m_pszReportPath, "C:\\x.zmr");
    EXPECT_TRUE(scan.IsKindOf(RUNTIME_CLASS(CWinThread)));
    EXPECT_STREQ(scan.GetRuntimeClass()->m_lpszClassName, "CScan");
    g_bEngineBusy = 0;
}

namespace {

// A tree holding a real file, a link to a directory outside it and a link to a
// file outside it.
class ScanLinks : public ScanWalk {
protected:
    void SetUp() override
    {
        ScanWalk::SetUp();
        tree = dir / "tree";
        outside = dir / "outside";
        MakeDir(tree);
        MakeDir(outside);
        MakeDir(outside + "\\target");
        MakeFile(outside + "\\target\\precious.txt", "precious");
        MakeFile(outside + "\\file.txt", "file");
        MakeFile(tree + "\\own.txt", "own");
        if (!MakeUnixSymlink(outside + "\\target", tree + "\\dirlink") ||
            !MakeUnixSymlink(outside + "\\file.txt", tree + "\\filelink"))
            GTEST_SKIP() << "Unix links can only be made under Wine";
    }
    void TearDown() override
    {
        RemoveUnixLink(tree + "\\dirlink");
        RemoveUnixLink(tree + "\\filelink");
    }
    void ExpectOutsideIntact()
    {
        EXPECT_TRUE(FileExistsAt(outside + "\\target\\precious.txt"));
        EXPECT_TRUE(FileExistsAt(outside + "\\file.txt"));
        EXPECT_EQ(GetFileAttributesA((outside + "\\file.txt").c_str()) & FILE_ATTRIBUTE_READONLY,
                  0u);
    }
    std::string tree, outside;
};

} // namespace

TEST_F(ScanLinks, DeleteModeNeverReachesThroughLinks)
{
    SetFileAttributesA((outside + "\\file.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE);
    CScan scan;
    scan.ScanDirectory(tree.c_str(), CScan::MODE_DELETE);
    EXPECT_FALSE(FileExistsAt(tree + "\\own.txt"));
    ExpectOutsideIntact();
    g_bEngineBusy = 0;
}

TEST_F(ScanLinks, DeleteModeOfALinkedDirectoryItselfDoesNothing)
{
    CScan scan;
    scan.ScanDirectory((tree + "\\dirlink\\").c_str(), CScan::MODE_DELETE);
    scan.ScanDirectory((tree + "\\dirlink").c_str(), CScan::MODE_DELETE);
    ExpectOutsideIntact();
    g_bEngineBusy = 0;
}

TEST_F(ScanLinks, CountModeCountsALinkedDirectoryButDoesNotWalkIt)
{
    CScan scan;
    scan.ScanDirectory(tree.c_str(), CScan::MODE_COUNT);
    EXPECT_EQ(scan.m_nRecords, 3u); // own.txt, dirlink, filelink
    g_bEngineBusy = 0;
}

TEST_F(ScanWalk, RecordWalksCalledDirectlyWriteToTheGivenFile)
{
    // The walks write their records to m_hReport, relative key paths included,
    // without the report's header and sections around them.
    CTestKey key("Direct");
    key.Set("", "v", REG_DWORD, "\x07\x00\x00\x00", 4);
    key.Create("Sub");
    std::string tree = dir / "t";
    MakeDir(tree);
    MakeFile(tree + "\\f", "abc");
    std::string out = dir / "records.bin";
    CScan scan;
    scan.m_hReport = CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(scan.m_hReport, INVALID_HANDLE_VALUE);
    ScanFlags[SF_VALUES] = 1;
    ScanFlags[SF_SIZES] = 1;
    scan.ScanKey(HKEY_CURRENT_USER, key.Path().c_str(), CScan::MODE_RECORD);
    scan.ScanDirectory(tree.c_str(), CScan::MODE_RECORD);
    CloseHandle(scan.m_hReport);
    scan.m_hReport = INVALID_HANDLE_VALUE;
    EXPECT_EQ(scan.m_nRecords, 3u);
    EXPECT_EQ(scan.m_recType, CScan::REC_FILE);
    EXPECT_EQ(scan.m_recLen, (tree + "\\f").size());

    report::Builder b;
    b.U8(4).Name(key.Path() + "\\v").U32(REG_DWORD).U32(4).U32(7);
    b.U8(3).Name(key.Path() + "\\Sub");
    b.U8(2).Name(tree + "\\f").U32(0).U32(3);
    EXPECT_EQ(ReadFileBytes(out), b.Get()) << Hex(ReadFileBytes(out), 200);
    g_bEngineBusy = 0;
}
