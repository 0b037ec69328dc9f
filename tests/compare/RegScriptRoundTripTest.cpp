// The registry scripts of a comparison applied by Wine's own "reg import":
// the undo script brings a changed subtree back to what the older report
// holds, and the redo script then brings it forward again, value for value.
#include "compare/CompareCore.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/compare/RegistryStandIn.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// The scripts name HKEY_CURRENT_USER, for which this process has the stand-in;
// reg.exe runs elsewhere and is given the stand-in's real place.
std::string Relocated(std::string script, const std::string& place)
{
    for (const char* open : {"[HKEY_CURRENT_USER", "[-HKEY_CURRENT_USER"}) {
        std::string with = std::string(open) + "\\" + place;
        for (size_t at = script.find(open); at != std::string::npos; at = script.find(open, at + with.size()))
            script.replace(at, std::strlen(open), with);
    }
    return script;
}

// Runs "reg import file" and waits for it; its exit code.
DWORD RegImport(const std::string& file)
{
    std::string cmd = "reg.exe import \"" + file + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return (DWORD)-1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = (DWORD)-2;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

void Fill(CRegistryStandIn& reg)
{
    std::string binary;
    for (int k = 0; k < 100; k++)
        binary += (char)(k * 7);
    reg.Set("Zm", "", REG_SZ, Sz("по умолчанию"));
    reg.Set("Zm", "text", REG_SZ, Sz("Текст \"в кавычках\" C:\\путь\\"));
    reg.Set("Zm", "empty", REG_SZ, Sz(""));
    reg.Set("Zm", "unterminated", REG_SZ, "abc");
    reg.Set("Zm", "expand", REG_EXPAND_SZ, Sz("%SystemRoot%\\system32"));
    reg.Set("Zm", "multi", REG_MULTI_SZ, Sz("один") + Sz("two") + std::string(1, '\0'));
    reg.Set("Zm", "binary", REG_BINARY, binary);
    reg.Set("Zm", "nothing", REG_BINARY, "");
    reg.Set("Zm", "dword", REG_DWORD, std::string("\x01\x02\x03\x04", 4));
    reg.Set("Zm", "qword", 11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    reg.Set("Zm", "none", REG_NONE, std::string("\x00\xff", 2));
    reg.Set("Zm", "big", REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x01\x00", 4));
    reg.Set("Zm", "Имя", REG_SZ, Sz("значение"));
    reg.Set("Zm\\Sub1", "a", REG_DWORD, std::string("\x05\x00\x00\x00", 4));
    reg.Set("Zm\\Sub1\\Deep", "b", REG_SZ, Sz("deep"));
    reg.Create("Zm\\Sub2");
    reg.Set("Zm\\Раздел", "c", REG_SZ, Sz("ц"));
}

void Change(CRegistryStandIn& reg)
{
    RemoveKeyTree(HKEY_CURRENT_USER, "Zm\\Sub1");
    reg.Set("Zm\\New\\Inner", "n", REG_MULTI_SZ, Sz("x") + std::string(1, '\0'));
    reg.Set("Zm\\New", "", REG_SZ, Sz("новый"));
    reg.Create("Zm\\New\\Empty");
    reg.DeleteValue("Zm", "text");
    reg.DeleteValue("Zm", "");
    reg.Set("Zm", "dword", REG_DWORD, std::string("\xff\x00\x00\x00", 4));
    reg.Set("Zm", "binary", REG_NONE, "same bytes, other type");
    reg.Set("Zm", "big", REG_BINARY, std::string("\x00\x00\x01\x00", 4)); // type only
    reg.Set("Zm", "Новое имя", REG_EXPAND_SZ, Sz("%TEMP%"));
    reg.Set("Zm\\Sub2", "d", REG_SZ, Sz("d"));
    reg.Set("Zm\\Раздел", "c", REG_SZ, Sz("цц"));
}

TEST(RegScriptRoundTrip, UndoThenRedoWithRegImport)
{
    CRegistryStandIn reg;
    ASSERT_TRUE(reg.Ok());
    CScratchDir dir;
    std::string before = dir / "before.zmr", after = dir / "after.zmr";
    Fill(reg);
    ScanReport(before);
    std::string older = reg.Dump();
    Change(reg);
    ScanReport(after);
    std::string newer = reg.Dump();
    ASSERT_NE(older, newer);

    std::string redo = dir / "redo.reg", undo = dir / "undo.reg", out;
    ASSERT_EQ(0, RunCompareCommand({after, before, "--reg-redo", redo, "--reg-undo", undo}, dir / "out.txt", &out))
        << out;
    for (const std::string& script : {redo, undo}) {
        std::string text = Relocated(ReadText(script), reg.Path());
        ASSERT_TRUE(WriteFileBytes(script, Bytes(text.begin(), text.end())));
    }
    ASSERT_EQ(0u, RegImport(undo)) << ReadText(undo);
    EXPECT_EQ(older, reg.Dump()) << ReadText(undo);
    ASSERT_EQ(0u, RegImport(redo)) << ReadText(redo);
    EXPECT_EQ(newer, reg.Dump()) << ReadText(redo);
}

} // namespace
