// Reports written by the scanner, checked byte for byte against layouts built by
// hand and through the test-side reader, over real trees, text files and a test
// registry subtree standing in for a root.
#include "scan/Scan.h"

#include "base/JobState.h"
#include "tests/scan/ReportReader.h"
#include "tests/scan/ScanTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

using report::Builder;

namespace {

struct Block {
    std::string name;
    Bytes bytes;
    uint32_t count;
};

// Expected header: magic, flags, and the time copied from the actual report.
Builder Header(const Bytes& actual, std::initializer_list<int> flags)
{
    Builder b;
    b.Str("ZMRFv1.0");
    for (int f : flags)
        b.U8(f);
    if (actual.size() >= 32)
        b.Raw(Bytes(actual.begin() + 16, actual.begin() + 32));
    return b;
}

// Appends one section: count, descriptors with absolute block offsets, blocks.
void Section(Builder& b, const std::vector<Block>& blocks)
{
    b.U16((unsigned)blocks.size());
    size_t offset = b.Size();
    for (const Block& e : blocks)
        offset += 2 + e.name.size() + 12;
    for (const Block& e : blocks) {
        b.Name(e.name).U32((uint32_t)offset).U32((uint32_t)e.bytes.size()).U32(e.count);
        offset += e.bytes.size();
    }
    for (const Block& e : blocks)
        b.Raw(e.bytes);
}

// A directory or file record with the optional fields the flags ask for.
void FileRecord(Builder& b, const std::string& path, bool sizes, bool attributes, bool times)
{
    WIN32_FIND_DATAA fd = ListingOf(path);
    b.U8((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 2).Name(path);
    if (sizes)
        b.U32(fd.nFileSizeHigh).U32(fd.nFileSizeLow);
    if (attributes)
        b.U32(fd.dwFileAttributes);
    if (times)
        b.U32(fd.ftCreationTime.dwHighDateTime).U32(fd.ftCreationTime.dwLowDateTime);
}

void KeyRecord(Builder& b, const std::string& path) { b.U8(3).Name(path); }

void ValueRecord(Builder& b, const std::string& name, DWORD type, const Bytes& data)
{
    b.U8(4).Name(name).U32(type).U32((uint32_t)data.size()).Raw(data);
}

void LineRecord(Builder& b, const std::string& line) { b.U8(6).Name(line); }

void SetFlags(std::initializer_list<int> flags)
{
    int i = 0;
    for (int f : flags)
        ScanFlags[i++] = (BYTE)f;
}

class ReportLayout : public ::testing::Test {
protected:
    void SetUp() override { ResetScanJob(); }
    void TearDown() override { ResetScanJob(); }

    // Runs a scan of the job state in place; the report's bytes.
    Bytes RunScan()
    {
        std::string path = dir / "report.zmr";
        CScan scan;
        scan.SetReportPath(path.c_str());
        scan.Run();
        EXPECT_EQ(g_bEngineBusy, 0);
        EXPECT_EQ(scan.m_bReportFailed, 0);
        Bytes bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }
    report::Report Parse(const Bytes& bytes)
    {
        report::Report r;
        std::string error;
        EXPECT_TRUE(report::Read(bytes, r, error)) << error;
        return r;
    }
    std::string TextFile(const std::string& name, const std::string& contents)
    {
        std::string path = dir / name;
        MakeFile(path, contents);
        return path;
    }

    CScratchDir dir;
};

} // namespace

// ---------------------------------------------------------------------------
// Directories

TEST_F(ReportLayout, DirectoryTreeWithEveryFieldIsWrittenByteForByte)
{
    std::string root = dir / "root";
    MakeDir(root);
    MakeDir(root + "\\sub");
    MakeFile(root + "\\sub\\file.txt", "hello");
    SetFileAttributesA((root + "\\sub\\file.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    AddPathItem((root + "\\").c_str(), 1);
    SetFlags({1, 1, 1, 1, 0, 0, 0, 0});

    SYSTEMTIME before, after;
    GetSystemTime(&before);
    Bytes actual = RunScan();
    GetSystemTime(&after);

    Builder block;
    FileRecord(block, root + "\\sub", true, true, true);
    FileRecord(block, root + "\\sub\\file.txt", true, true, true);
    Builder expected = Header(actual, {1, 1, 1, 1, 0, 0, 0, 0});
    Section(expected, {{root, block.Get(), 2}});
    EXPECT_EQ(Hex(actual, 400), Hex(expected.Get(), 400));
    ASSERT_EQ(actual, expected.Get());

    // The size and attributes as stored, 64-bit fields high half first.
    report::Report r = Parse(actual);
    const report::Record& file = r.sections[report::DIRECTORIES][0].records[1];
    EXPECT_EQ(file.size, 5u);
    EXPECT_EQ(file.attributes & 0x37u, 0x23u);
    WIN32_FIND_DATAA fd = ListingOf(root + "\\sub\\file.txt");
    EXPECT_EQ(file.creationTime,
              ((uint64_t)fd.ftCreationTime.dwHighDateTime << 32) | fd.ftCreationTime.dwLowDateTime);

    // The scan time is UTC, taken during the run.
    FILETIME fb, fa, fr;
    SystemTimeToFileTime(&before, &fb);
    SystemTimeToFileTime(&after, &fa);
    SYSTEMTIME stored = {r.time[0], r.time[1], r.time[2], r.time[3],
                         r.time[4], r.time[5], r.time[6], r.time[7]};
    ASSERT_TRUE(SystemTimeToFileTime(&stored, &fr));
    EXPECT_LE(CompareFileTime(&fb, &fr), 0);
    EXPECT_LE(CompareFileTime(&fr, &fa), 0);
    EXPECT_EQ(r.time[2], before.wDayOfWeek);
}

TEST_F(ReportLayout, OptionalFieldsFollowTheFlagsAndCanBeLeftOut)
{
    std::string root = dir / "root";
    MakeDir(root);
    MakeDir(root + "\\d");
    MakeFile(root + "\\d\\f", "12345678");
    AddPathItem(root.c_str(), 1);

    SetFlags({1, 0, 0, 0, 0, 0, 0, 0});
    Bytes bare = RunScan();
    Builder block;
    block.U8(1).Name(root + "\\d").U8(2).Name(root + "\\d\\f");
    Builder expected = Header(bare, {1, 0, 0, 0, 0, 0, 0, 0});
    Section(expected, {{root, block.Get(), 2}});
    EXPECT_EQ(bare, expected.Get()) << Hex(bare, 200);

    // Each flag adds its fields alone: sizes 8 bytes, attributes 4, times 8.
    const int extra[3] = {8, 4, 8};
    for (int flag = 1; flag <= 3; flag++) {
        SetFlags({1, 0, 0, 0, 0, 0, 0, 0});
        ScanFlags[flag] = 1;
        Bytes with = RunScan();
        EXPECT_EQ(with[8 + flag], 1);
        EXPECT_EQ(with.size(), bare.size() + 2 * extra[flag - 1]) << "flag " << flag;
        report::Report r = Parse(with);
        ASSERT_EQ(r.sections[0][0].records.size(), 2u);
        EXPECT_EQ(r.sections[0][0].records[1].length,
                  3 + (root + "\\d\\f").size() + extra[flag - 1]);
        if (flag == 1) {
            EXPECT_EQ(r.sections[0][0].records[1].size, 8u);
        }
    }
}

TEST_F(ReportLayout, RecordsFollowTheListingDepthFirst)
{
    std::string root = dir / "tree";
    MakeDir(root);
    for (const char* d : {"b", "a", "c", "a\\x", "a\\y", "a\\x\\deep"})
        MakeDir(root + "\\" + d);
    for (const char* f : {"z.txt", "a\\one", "a\\x\\two", "a\\x\\deep\\three", "c\\four"})
        MakeFile(root + "\\" + f, f);
    AddPathItem(root.c_str(), 1);
    SetFlags({1, 0, 1, 0, 0, 0, 0, 0});
    report::Report r = Parse(RunScan());

    // The same walk, done here through the listing.
    std::vector<std::pair<int, std::string>> walk;
    std::function<void(const std::string&)> list = [&](const std::string& path) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path + "\\*.*").c_str(), &fd);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            walk.push_back({isDir ? 1 : 2, path + "\\" + name});
            if (isDir)
                list(path + "\\" + name);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    };
    list(root);
    ASSERT_EQ(walk.size(), 11u);

    const report::Entry& e = r.sections[report::DIRECTORIES][0];
    ASSERT_EQ(e.records.size(), walk.size());
    EXPECT_EQ(e.recordCount, walk.size());
    for (size_t i = 0; i < walk.size(); i++) {
        EXPECT_EQ(e.records[i].type, walk[i].first) << i;
        EXPECT_EQ(e.records[i].name, walk[i].second) << i;
        EXPECT_EQ((e.records[i].attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, walk[i].first == 1);
    }
}

TEST_F(ReportLayout, EntryNamesLoseTheirTrailingBackslashButADriveRootKeepsIt)
{
    std::string withSlash = dir / "With slash";
    std::string without = dir / "Documents and settings";
    MakeDir(withSlash);
    MakeDir(without);
    MakeFile(without + "\\f", "f");
    AddPathItem((withSlash + "\\").c_str(), 1);
    AddPathItem(without.c_str(), 1);
    SetFlags({1, 0, 0, 0, 0, 0, 0, 0});
    report::Report r = Parse(RunScan());
    ASSERT_EQ(r.sections[0].size(), 2u);
    EXPECT_EQ(r.sections[0][0].name, withSlash);
    EXPECT_EQ(r.sections[0][0].blockLength, 0u);
    EXPECT_EQ(r.sections[0][1].name, without);
    ASSERT_EQ(r.sections[0][1].records.size(), 1u);
    EXPECT_EQ(r.sections[0][1].records[0].name, without + "\\f");
}

TEST_F(ReportLayout, DriveRootEntryGivesSinglyJoinedPaths)
{
    std::string drive = dir / "drive";
    MakeDir(drive);
    MakeDir(drive + "\\WINDOWS");
    MakeFile(drive + "\\WINDOWS\\win.ini", "[windows]");
    CTestDrive mapped(drive);
    if (!mapped.Letter())
        GTEST_SKIP() << "a drive letter can only be mapped to a test folder under Wine";
    std::string root = mapped.Root();
    AddPathItem(root.c_str(), 1);
    SetFlags({1, 0, 0, 0, 0, 0, 0, 0});
    Bytes actual = RunScan();

    Builder block;
    block.U8(1).Name(root + "WINDOWS").U8(2).Name(root + "WINDOWS\\win.ini");
    Builder expected = Header(actual, {1, 0, 0, 0, 0, 0, 0, 0});
    Section(expected, {{root, block.Get(), 2}});
    EXPECT_EQ(actual, expected.Get()) << Hex(actual, 200);
}

TEST_F(ReportLayout, UnreadableAndEmptyDirectoriesGiveEmptyBlocksInPlace)
{
    std::string empty = dir / "empty";
    std::string hollow = dir / "hollow";
    MakeDir(empty);
    MakeDir(hollow);
    MakeDir(hollow + "\\e1");
    MakeDir(hollow + "\\e2");
    AddPathItem((dir / "missing\\").c_str(), 1);
    AddPathItem(empty.c_str(), 1);
    AddPathItem(hollow.c_str(), 1);
    SetFlags({1, 1, 0, 0, 0, 0, 0, 0});
    Bytes actual = RunScan();
    report::Report r = Parse(actual);
    ASSERT_EQ(r.sections[0].size(), 3u);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(r.sections[0][i].blockLength, 0u);
        EXPECT_EQ(r.sections[0][i].recordCount, 0u);
    }
    // Only empty subdirectories: one directory record each, nothing else.
    const report::Entry& h = r.sections[0][2];
    ASSERT_EQ(h.records.size(), 2u);
    for (const report::Record& rec : h.records) {
        EXPECT_EQ(rec.type, 1);
        EXPECT_EQ(rec.size, 0u);
    }
    // The three blocks start where the descriptors end.
    EXPECT_EQ(r.sections[0][0].blockOffset, r.sections[0][2].descriptorOffset + 12);
    EXPECT_EQ(r.sections[0][2].blockOffset, r.sections[0][0].blockOffset);
}

// ---------------------------------------------------------------------------
// Registry

namespace {

class RegistryLayout : public ReportLayout {
protected:
    RegistryLayout() : key("Layout") {}
    CTestKey key;
};

} // namespace

TEST_F(RegistryLayout, RootTreeIsWrittenByteForByte)
{
    key.Set("", "", REG_SZ, "d", 2);
    key.Set("", "n", REG_DWORD, "\x01\x00\x00\x00", 4);
    key.Set("A", "x", REG_BINARY, "\xAA\xBB\xCC", 3);
    key.Create("A\\B");
    key.Create("C");
    CRootOverride root(HKEY_CURRENT_USER, key.Path());
    ASSERT_TRUE(root.Ok());
    AddKeyItem(0x80000001, "HKEY_CURRENT_USER", 1);
    SetFlags({1, 1, 1, 1, 1, 1, 1, 1});
    Bytes actual = RunScan();

    Builder block;
    KeyRecord(block, "\\");
    ValueRecord(block, "\\@", REG_SZ, MakeBytes({'d', 0}));
    ValueRecord(block, "\\n", REG_DWORD, MakeBytes({1, 0, 0, 0}));
    KeyRecord(block, "A");
    ValueRecord(block, "A\\x", REG_BINARY, MakeBytes({0xAA, 0xBB, 0xCC}));
    KeyRecord(block, "A\\B");
    KeyRecord(block, "C");
    // Only the registry had entries: the other section flags are cleared, the
    // field flags stay as chosen, and the section follows the header directly.
    Builder expected = Header(actual, {0, 1, 1, 1, 1, 1, 0, 0});
    Section(expected, {{"HKEY_CURRENT_USER", block.Get(), 7}});
    EXPECT_EQ(Hex(actual, 300), Hex(expected.Get(), 300));
    EXPECT_EQ(actual, expected.Get());
    EXPECT_EQ(ScanFlags[0], 0);
    EXPECT_EQ(ScanFlags[6], 0);
    EXPECT_EQ(ScanFlags[7], 0);
}

TEST_F(RegistryLayout, RegistryOnlyScanHasTheFlagsOfAPlainRegistryReport)
{
    key.Set("", "v", REG_SZ, "x", 2);
    CRootOverride root(HKEY_CURRENT_USER, key.Path());
    ASSERT_TRUE(root.Ok());
    AddKeyItem(0x80000001, "HKEY_CURRENT_USER", 1);
    SetFlags({0, 0, 0, 0, 1, 1, 0, 0});
    Bytes actual = RunScan();
    ASSERT_GE(actual.size(), 34u);
    EXPECT_EQ(Bytes(actual.begin() + 8, actual.begin() + 16), MakeBytes({0, 0, 0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(actual[32], 1); // entry count right after the header
    EXPECT_EQ(actual[33], 0);

    // Without values only the key records remain.
    SetFlags({0, 0, 0, 0, 1, 0, 0, 0});
    report::Report r = Parse(RunScan());
    ASSERT_EQ(r.sections[report::REGISTRY].size(), 1u);
    EXPECT_EQ(r.sections[report::REGISTRY][0].records.size(), 1u);
}

TEST_F(RegistryLayout, RootThatCannotBeOpenedGivesTheRootRecordAlone)
{
    AddKeyItem(0x8000000F, "HKEY_DYN_DATA", 1);
    SetFlags({0, 0, 0, 0, 1, 1, 0, 0});
    Bytes actual = RunScan();
    Builder block;
    block.Raw(MakeBytes({0x03, 0x01, 0x00, 0x5C}));
    Builder expected = Header(actual, {0, 0, 0, 0, 1, 1, 0, 0});
    Section(expected, {{"HKEY_DYN_DATA", block.Get(), 1}});
    EXPECT_EQ(actual, expected.Get()) << Hex(actual, 100);
}

TEST_F(RegistryLayout, ValueOverTheDataLimitEndsItsKeysValuesButNotItsSubkeys)
{
    Bytes full(4096, 0x5A), over(4097, 0x33);
    key.Set("K", "a", REG_BINARY, full.data(), (DWORD)full.size());
    key.Set("K", "big", REG_BINARY, over.data(), (DWORD)over.size());
    key.Set("K", "c", REG_SZ, "c", 2);
    key.Create("K\\S");
    std::string longName(300, 'n');
    key.Set("L", "first", REG_SZ, "1", 2);
    key.Set("L", longName.c_str(), REG_SZ, "2", 2);
    key.Set("L", "third", REG_SZ, "3", 2);

    // Enumeration order as the registry gives it.
    auto order = [&](const char* sub) {
        std::vector<std::string> names;
        HKEY h;
        RegOpenKeyExA(HKEY_CURRENT_USER, (key.Path() + "\\" + sub).c_str(), 0, KEY_READ, &h);
        char name[1024];
        for (DWORD i = 0;; i++) {
            DWORD n = sizeof name;
            if (RegEnumValueA(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(name);
        }
        RegCloseKey(h);
        return names;
    };
    std::vector<std::string> k = order("K"), l = order("L");

    CRootOverride root(HKEY_CURRENT_USER, key.Path());
    ASSERT_TRUE(root.Ok());
    AddKeyItem(0x80000001, "HKEY_CURRENT_USER", 1);
    SetFlags({0, 0, 0, 0, 1, 1, 0, 0});
    report::Report r = Parse(RunScan());
    const report::Entry& e = r.sections[report::REGISTRY][0];

    std::vector<std::string> expected = {"\\", "K"};
    for (const std::string& v : k) {
        if (v == "big")
            break;
        expected.push_back("K\\" + v);
    }
    expected.push_back("K\\S");
    expected.push_back("L");
    for (const std::string& v : l) {
        if (v == longName)
            break;
        expected.push_back("L\\" + v);
    }
    std::vector<std::string> names;
    for (const report::Record& rec : e.records)
        names.push_back(rec.name);
    EXPECT_EQ(names, expected);
    for (const report::Record& rec : e.records)
        if (rec.name == "K\\a") {
            EXPECT_EQ(rec.data, full);
            EXPECT_EQ(rec.valueType, (uint32_t)REG_BINARY);
        }
}

// ---------------------------------------------------------------------------
// Text files

TEST_F(ReportLayout, TextLinesAreSplitAtCarriageReturns)
{
    std::string crlf = TextFile("crlf.ini", "x\r\ny\r\n");
    std::string mixed = TextFile("mixed.ini", "a\r\n\r\nb");
    std::string lf = TextFile("lf.ini", "p\nq\r\nr\n");
    std::string empty = TextFile("empty.ini", "");
    std::string blank = TextFile("blank.bat", "\r\n");
    std::string lone = TextFile("lone.bat", "a\rb\r\r\nc");
    AddFileListItem(g_SettingsFiles, crlf.c_str());
    AddFileListItem(g_SettingsFiles, mixed.c_str());
    AddFileListItem(g_SettingsFiles, lf.c_str());
    AddFileListItem(g_SettingsFiles, (dir / "missing.ini").c_str());
    AddFileListItem(g_DosFiles, empty.c_str());
    AddFileListItem(g_DosFiles, blank.c_str());
    AddFileListItem(g_DosFiles, lone.c_str());
    SetFlags({0, 1, 1, 1, 0, 1, 1, 1});
    Bytes actual = RunScan();

    Builder b1, b2, b3, b6, b7;
    LineRecord(b1, "x");
    LineRecord(b1, "y");
    LineRecord(b2, "a");
    LineRecord(b2, "");
    LineRecord(b2, "b");
    LineRecord(b3, "p\nq");
    LineRecord(b3, "r\n");
    LineRecord(b6, "");
    // A lone carriage return ends its line without swallowing the next byte.
    LineRecord(b7, "a");
    LineRecord(b7, "b");
    LineRecord(b7, "");
    LineRecord(b7, "c");
    Builder expected = Header(actual, {0, 1, 1, 1, 0, 1, 1, 1});
    Section(expected, {{crlf, b1.Get(), 2},
                       {mixed, b2.Get(), 3},
                       {lf, b3.Get(), 2},
                       {dir / "missing.ini", Bytes(), 0}});
    Section(expected, {{empty, Bytes(), 0}, {blank, b6.Get(), 1}, {lone, b7.Get(), 4}});
    EXPECT_EQ(Hex(actual, 600), Hex(expected.Get(), 600));
    EXPECT_EQ(actual, expected.Get());
}

TEST_F(ReportLayout, TextFileHeldWithoutSharingAndOverlongLines)
{
    std::string held = TextFile("held.ini", "line\r\n");
    std::string longLine = std::string(70000, 'z');
    std::string wide = TextFile("wide.ini", "s\r\n" + longLine + "\r\nt");
    HANDLE lock = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    AddFileListItem(g_SettingsFiles, held.c_str());
    AddFileListItem(g_SettingsFiles, wide.c_str());
    SetFlags({0, 0, 0, 0, 0, 0, 1, 0});
    report::Report r = Parse(RunScan());
    CloseHandle(lock);
    ASSERT_EQ(r.sections[report::SETTINGS_FILES].size(), 2u);
    EXPECT_EQ(r.sections[report::SETTINGS_FILES][0].recordCount, 0u);
    EXPECT_EQ(r.sections[report::SETTINGS_FILES][0].blockLength, 0u);
    // A line longer than a u16 length goes into consecutive records.
    const report::Entry& w = r.sections[report::SETTINGS_FILES][1];
    ASSERT_EQ(w.records.size(), 4u);
    EXPECT_EQ(w.records[0].name, "s");
    EXPECT_EQ(w.records[1].name, longLine.substr(0, 65535));
    EXPECT_EQ(w.records[2].name, longLine.substr(65535));
    EXPECT_EQ(w.records[3].name, "t");
}

// ---------------------------------------------------------------------------
// Sections

TEST_F(RegistryLayout, FourSectionsInTheirFixedOrderWithEmptyListsLeftOut)
{
    std::string tree = dir / "t";
    MakeDir(tree);
    MakeFile(tree + "\\f", "f");
    std::string ini = TextFile("s.ini", "[s]\r\n");
    std::string bat = TextFile("a.bat", "@echo off\r\n");
    key.Set("", "v", REG_SZ, "x", 2);
    CRootOverride root(HKEY_CURRENT_USER, key.Path());
    ASSERT_TRUE(root.Ok());

    // DOS files listed first, directories last: the order in the file is fixed.
    AddFileListItem(g_DosFiles, bat.c_str());
    AddFileListItem(g_SettingsFiles, ini.c_str());
    AddKeyItem(0x80000001, "HKEY_CURRENT_USER", 1);
    AddPathItem(tree.c_str(), 1);
    SetFlags({1, 0, 0, 0, 1, 1, 1, 1});
    report::Report r = Parse(RunScan());
    for (int s = 0; s < 4; s++)
        ASSERT_TRUE(r.present[s]) << s;
    EXPECT_EQ(r.sectionOffset[0], 32u);
    EXPECT_LT(r.sectionOffset[0], r.sectionOffset[1]);
    EXPECT_LT(r.sectionOffset[1], r.sectionOffset[2]);
    EXPECT_LT(r.sectionOffset[2], r.sectionOffset[3]);
    EXPECT_EQ(r.sections[1][0].records.size(), 2u);
    EXPECT_EQ(r.sections[2][0].records[0].name, "[s]");
    EXPECT_EQ(r.sections[3][0].records[0].name, "@echo off");

    // Chosen but empty: the section is absent and its flag cleared for good.
    g_PathList.nCount = 0;
    g_SettingsFiles.nCount = 0;
    SetFlags({1, 0, 0, 0, 1, 0, 1, 1});
    Bytes actual = RunScan();
    EXPECT_EQ(Bytes(actual.begin() + 8, actual.begin() + 16), MakeBytes({0, 0, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(ScanFlags[0], 0);
    EXPECT_EQ(ScanFlags[6], 0);
    r = Parse(actual);
    EXPECT_FALSE(r.present[0]);
    EXPECT_FALSE(r.present[2]);
    EXPECT_EQ(r.sectionOffset[1], 32u);

    // Nothing chosen at all: the header alone.
    ResetScanJob();
    std::memset(ScanFlags, 1, sizeof ScanFlags);
    actual = RunScan();
    EXPECT_EQ(actual.size(), 32u);
    EXPECT_EQ(Bytes(actual.begin() + 8, actual.begin() + 16), MakeBytes({0, 1, 1, 1, 0, 1, 0, 0}));
}
