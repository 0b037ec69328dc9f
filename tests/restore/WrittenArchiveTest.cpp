// Archives of the real writer (zmcli archive) read back by the portable side:
// verified whole, every cut and thousands of changed bytes found out or at least
// survived, extracted into a folder of their own exactly as the tree was, and
// the registry section written as a REGEDIT4 file that Wine's reg imports back
// into another key as the same values.
#include "cli/ArchiveCommand.h"
#include "cli/ExtractCommand.h"
#include "restore/ArchiveVerifier.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A tree with Cyrillic names, old stamps, a read-only and an empty file, and an
// empty directory.
struct Tree {
    std::string src; // ends in a backslash
    std::map<std::string, Bytes> files;
    std::map<std::string, DosStamp> stamps;
};

void MakeTree(const CScratchDir& dir, Tree& t)
{
    t.src = dir / "src\\";
    t.files = {
        {"empty.txt", {}},
        {"text.txt", TextBytes(3000, 1)},
        {"ro.txt", TextBytes(300, 4)},
        {"a\\b\\deep.bin", RandomBytes(700, 7)},
    };
    const bool cyrillic = CyrillicNamesWork(dir);
    if (cyrillic)
        t.files["Папка\\Файл с именем.txt"] = TextBytes(2000, 8);
    for (const char* sub : {"", "a", "a\\b", "a\\empty dir"})
        CreateDirectoryA((t.src + sub).c_str(), nullptr);
    if (cyrillic)
        CreateDirectoryA((t.src + "Папка").c_str(), nullptr);
    int n = 0;
    for (const auto& f : t.files) {
        ASSERT_TRUE(WriteFileBytes(t.src + f.first, f.second)) << f.first;
        SetStamps(t.src + f.first, n++);
        ASSERT_TRUE(ReadDosStamp(t.src + f.first, t.stamps[f.first]));
    }
    SetFileAttributesA((t.src + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

// Where a path below the source tree lands in the extraction folder: its drive
// letter becomes a folder.
std::string Below(const std::string& out, const Tree& t, const std::string& rel)
{
    return out + "\\" + t.src.substr(0, 1) + t.src.substr(2) + rel;
}

CArchiveVerifier::Result Verify(const std::string& path, std::vector<std::string>* lines = nullptr)
{
    CLineRecorder out;
    std::unique_ptr<CArchiveVerifier> verifier(new CArchiveVerifier(out, false));
    CArchiveVerifier::Result result = verifier->Verify(path.c_str());
    if (lines)
        *lines = out.lines;
    return result;
}

// Runs a program of the prefix with its output in a file; its exit code.
DWORD RunProgram(const CScratchDir& dir, const std::string& commandLine)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileA((dir / "program.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = log;
    si.hStdError = log;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(log);
    return code;
}

} // namespace

TEST(WrittenArchive, VerifiesWholeAndNoCutOrChangedByteGoesWrong)
{
    CScratchDir dir;
    Tree t;
    MakeTree(dir, t);
    CTestKey key("WrittenVerify");
    Put(key.Path(), "text", REG_SZ, BytesOf(std::string("value", 6)));
    Put(key / "sub", "number", REG_DWORD, MakeBytes({1, 2, 3, 4}));
    std::string out;
    ASSERT_EQ(RunCommand(ArchiveCommand, dir,
                         {dir / "a.zma", "-a", "-t", t.src, "HKEY_CURRENT_USER\\" + key.Path()}, &out),
              0)
        << out;
    std::vector<std::string> lines;
    ASSERT_EQ(Verify(dir / "a.zma", &lines), CArchiveVerifier::WHOLE) << JoinLines(lines);
    const Bytes whole = ReadFileBytes(dir / "a.zma");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(" records, " + std::to_string(whole.size()) +
                            " bytes checked: the archive is whole"),
              std::string::npos)
        << lines[0];

    for (size_t cut = 8; cut < whole.size(); cut++) {
        ASSERT_TRUE(WriteFileBytes(dir / "t.zma", Bytes(whole.begin(), whole.begin() + cut)));
        ASSERT_EQ(Verify(dir / "t.zma"), CArchiveVerifier::DAMAGED) << cut;
    }
    unsigned seed = 99;
    for (int round = 0; round < 2000; round++) {
        Bytes data = whole;
        seed = seed * 1103515245u + 12345u;
        size_t at = 8 + (seed >> 8) % (data.size() - 8);
        data[at] = (unsigned char)(data[at] ^ (1 + (seed >> 4) % 255));
        ASSERT_TRUE(WriteFileBytes(dir / "m.zma", data));
        CArchiveVerifier::Result result = Verify(dir / "m.zma", &lines);
        ASSERT_NE(result, CArchiveVerifier::NOT_AN_ARCHIVE) << round;
        ASSERT_NE(lines.back().find(" bytes checked: "), std::string::npos) << round;
    }
}

TEST(WrittenArchive, ExtractsTheTreeWithItsNamesTimesAndReadOnlyBit)
{
    CScratchDir dir;
    Tree t;
    MakeTree(dir, t);
    std::string out;
    ASSERT_EQ(RunCommand(ArchiveCommand, dir, {dir / "a.zma", "-a", "-t", t.src}, &out), 0) << out;
    const std::set<std::string> tree = ListTree(t.src);

    ASSERT_EQ(RunCommand(ExtractCommand, dir, {dir / "a.zma", dir / "out"}, &out), 0) << out;
    // Stamps first: reading a file moves its last-access time.
    for (const auto& f : t.files) {
        DosStamp stamp;
        ASSERT_TRUE(ReadDosStamp(Below(dir / "out", t, f.first), stamp)) << f.first;
        EXPECT_TRUE(SameStamp(stamp, t.stamps[f.first])) << f.first;
    }
    EXPECT_EQ(ListTree(Below(dir / "out", t, "")), tree);
    for (const auto& f : t.files) {
        const std::string path = Below(dir / "out", t, f.first);
        EXPECT_TRUE(ReadFileBytes(path) == f.second) << f.first;
        EXPECT_EQ(IsReadOnlyAt(path), f.first == "ro.txt") << f.first;
    }

    // An item picks a subtree; existing files are kept unless -o is given.
    ASSERT_TRUE(WriteText(Below(dir / "out", t, "text.txt"), "changed"));
    std::string item = t.src + "a";
    ASSERT_EQ(RunCommand(ExtractCommand, dir, {dir / "a.zma", dir / "out2", item}, &out), 0) << out;
    EXPECT_EQ(ListTree(Below(dir / "out2", t, "")),
              (std::set<std::string>{"a\\", "a\\b\\", "a\\b\\deep.bin", "a\\empty dir\\"}));
    EXPECT_EQ(RunCommand(ExtractCommand, dir, {dir / "a.zma", dir / "out"}, &out), 0) << out;
    EXPECT_EQ(ReadText(Below(dir / "out", t, "text.txt")), "changed");
    EXPECT_EQ(RunCommand(ExtractCommand, dir, {"-o", dir / "a.zma", dir / "out"}, &out), 0) << out;
    EXPECT_TRUE(ReadFileBytes(Below(dir / "out", t, "text.txt")) == t.files["text.txt"]);
    for (const auto& f : t.files)
        SetFileAttributesA(Below(dir / "out", t, f.first).c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((t.src + "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WrittenArchive, RegFileImportsBackIntoAnotherKeyAsTheSameValues)
{
    CScratchDir dir;
    CTestKey source("RegSource"), imported("RegImported");
    Put(source.Path(), "", REG_SZ, BytesOf(std::string("default", 8)));
    Put(source.Path(), "sz", REG_SZ, BytesOf(std::string("a \"quoted\" \\ back\\slash", 24)));
    Put(source.Path(), "Значение", REG_SZ, BytesOf(std::string("Текст", 6)));
    Put(source.Path(), "empty", REG_SZ, BytesOf(std::string("", 1)));
    Put(source.Path(), "expand", REG_EXPAND_SZ, BytesOf(std::string("%TEMP%\\x", 9)));
    Put(source.Path(), "binary", REG_BINARY, RandomBytes(300, 1));
    Put(source.Path(), "empty binary", REG_BINARY, {});
    Put(source.Path(), "dword", REG_DWORD, MakeBytes({0xEF, 0xBE, 0xAD, 0xDE}));
    Put(source.Path(), "big endian", REG_DWORD_BIG_ENDIAN, MakeBytes({0, 0, 1, 2}));
    Put(source.Path(), "multi", REG_MULTI_SZ, BytesOf(std::string("a\0Строка\0\0", 10)));
    Put(source.Path(), "qword", 11, MakeBytes({1, 2, 3, 4, 5, 6, 7, 8}));
    Put(source.Path(), "none", REG_NONE, {});
    Put(source.Path(), "none with data", REG_NONE, MakeBytes({1, 2, 3}));
    Put(source.Path(), "resource list", 8, MakeBytes({0x10, 0x20}));
    Put(source.Path(), "odd type", 0x4711, MakeBytes({9, 8}));
    Put(source / "sub\\deeper", "deep", REG_DWORD, MakeBytes({5, 0, 0, 0}));
    Put(source / "Ключ", "x", REG_SZ, BytesOf(std::string("y", 2)));
    HKEY empty;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (source / "empty key").c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &empty, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(empty);
    KeySnapshot before;
    SnapshotKey(source.Path(), "", before);

    std::string out;
    ASSERT_EQ(RunCommand(ArchiveCommand, dir, {dir / "r.zma", "HKEY_CURRENT_USER\\" + source.Path()}, &out), 0)
        << out;
    ASSERT_EQ(RunCommand(ExtractCommand, dir, {dir / "r.zma", dir / "out", "-r", dir / "r.reg"}, &out), 0)
        << out;

    // The same keys under another name.
    std::string text = ReadText(dir / "r.reg");
    ASSERT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u) << text;
    const std::string from = "[HKEY_CURRENT_USER\\" + source.Path(), to = "[HKEY_CURRENT_USER\\" + imported.Path();
    size_t replaced = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
        replaced++;
    }
    EXPECT_EQ(replaced, 5u) << text;
    ASSERT_TRUE(WriteText(dir / "imported.reg", text));
    ASSERT_EQ(RunProgram(dir, "reg.exe import \"" + dir / "imported.reg" + "\""), 0u)
        << ReadText(dir / "program.log");

    KeySnapshot after;
    SnapshotKey(imported.Path(), "", after);
    EXPECT_EQ(Describe(after), Describe(before));
}
