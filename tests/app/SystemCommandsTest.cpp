#include "app/SystemCommands.h"
#include "base/JobState.h"
#include "res/resource.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace {

// Every command of the "Сервис", "Приложения" and "Утилиты" menus before any
// pruning, and 40028, which no menu item carries.
const UINT kCommands[] = {ID_SYS_BOOTDISK,  ID_SYS_POWEROFF,  ID_SYS_REBOOT,    ID_SYS_QUICKREBOOT, ID_SYS_LOGOFF,
                          ID_SYS_CLOSEALL,  ID_APP_SETTINGSEDITOR, ID_SYS_FORCEDLOGOFF,
                          ID_TOOL_REGEDIT,  ID_TOOL_REGEDT32, ID_TOOL_SYSEDIT,  ID_TOOL_TASKMAN,  ID_TOOL_PROGMAN,
                          ID_TOOL_WINFILE,  ID_TOOL_DRWATSON, ID_TOOL_DRWTSN32, ID_TOOL_WINREP,   ID_TOOL_WINIPCFG,
                          ID_TOOL_IPSECMON, ID_TOOL_CLICONFG, ID_TOOL_VERIFIER, ID_TOOL_SIGVERIF, ID_TOOL_MSCONFIG,
                          ID_TOOL_DCOMCNFG, ID_TOOL_MMC,      ID_TOOL_DXDIAG,   ID_TOOL_SCANREGW, ID_TOOL_MKCOMPAT};

const char kEditor[] = "C:\\Program Files\\Редактор\\winset.exe";

std::string WithBackslash(std::string dir)
{
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir;
}

std::string WindowsDir()
{
    char d[MAX_PATH];
    ::GetWindowsDirectoryA(d, MAX_PATH);
    return WithBackslash(d);
}

std::string SystemDir()
{
    char d[MAX_PATH];
    ::GetSystemDirectoryA(d, MAX_PATH);
    return WithBackslash(d);
}

// Run in a child that Wine tells it runs on another Windows: the main window
// as the start-up makes it, and every command sent to it once. One line per
// command: the calls it made ("-" for none), each marked with whether the main
// window was the parent.
TEST(SystemCommandChild, Dump)
{
    const char* out = std::getenv("ZM_COMMAND_DUMP");
    if (!out)
        GTEST_SKIP() << "only run as the child of SystemCommandFamily";
    lstrcpyA(g_szWindowsDir, WindowsDir().c_str());
    lstrcpyA(g_szSystemDir, SystemDir().c_str());
    CWinApp app;
    CScratchDir dir;
    CSettings settings;
    lstrcpyA(settings.WinSErPath, kEditor);
    CMainWnd wnd(settings);
    ASSERT_TRUE(wnd.Create());
    std::string text;
    for (UINT id : kCommands) {
        RecordedCalls().clear();
        wnd.SendMessage(WM_COMMAND, id);
        text += std::to_string(id) + ":";
        if (RecordedCalls().empty())
            text += " -";
        for (const RecordedCall& c : RecordedCalls())
            text += " " + c.Describe() + (c.name == "ExitWindowsEx" || c.parent == wnd.m_hWnd ? "" : " (not owned)");
        text += "\n";
    }
    WriteFileBytes(out, Bytes(text.begin(), text.end()));
    wnd.DestroyWindow();
}

enum Family { W95 = 1, W98 = 2, NT = 4, ALL = W95 | W98 | NT, W9X = W95 | W98, W98NT = W98 | NT };

std::string Exit(UINT flags) { return "ExitWindowsEx flags=" + std::to_string(flags) + " reason=0"; }

std::string Shell(const std::string& file, const std::string& parameters, const std::string& dir)
{
    return "ShellExecute verb=(null) file=" + file + " parameters=" + parameters + " directory=" + dir + " show=10";
}

// What each command does on a family, written out from the menus' description.
std::map<UINT, std::string> Expected(Family family)
{
    struct Row {
        UINT id;
        int on;
        std::string call;
    };
    const std::string win = WindowsDir(), sys = SystemDir();
    const Row rows[] = {
        {ID_SYS_BOOTDISK, W9X, "FormatDrive drive=0 format=65535 options=2"},
        {ID_SYS_POWEROFF, ALL, Exit(8)},
        {ID_SYS_REBOOT, ALL, Exit(2)},
        {ID_SYS_QUICKREBOOT, W9X, Shell("rundll.exe", "user.exe,ExitWindowsExec", "(null)")},
        {ID_SYS_LOGOFF, ALL, Exit(0)},
        {ID_SYS_CLOSEALL, ALL, Exit(4)},
        {ID_APP_SETTINGSEDITOR, ALL, Shell(kEditor, "(null)", "C:\\Program Files\\Редактор")},
        {ID_TOOL_REGEDIT, ALL, Shell("regedit.exe", "(null)", win)},
        {ID_TOOL_REGEDT32, NT, Shell("regedt32.exe", "(null)", sys)},
        {ID_TOOL_SYSEDIT, ALL, Shell("sysedit.exe", "(null)", sys)},
        {ID_TOOL_TASKMAN, W9X, Shell("taskman.exe", "(null)", win)},
        {ID_TOOL_PROGMAN, ALL, Shell("progman.exe", "(null)", win)},
        {ID_TOOL_WINFILE, W9X, Shell("winfile.exe", "(null)", win)},
        {ID_TOOL_DRWATSON, ALL, Shell("drwatson.exe", "(null)", sys)},
        {ID_TOOL_DRWTSN32, NT, Shell("drwtsn32.exe", "(null)", sys)},
        {ID_TOOL_WINREP, W98NT, Shell("winrep.exe", "(null)", win)},
        {ID_TOOL_WINIPCFG, W9X, Shell("winipcfg.exe", "(null)", win)},
        {ID_TOOL_IPSECMON, NT, Shell("ipsecmon.exe", "(null)", sys)},
        {ID_TOOL_CLICONFG, W98NT, Shell("cliconfg.exe", "(null)", sys)},
        {ID_TOOL_VERIFIER, NT, Shell("verifier.exe", "(null)", sys)},
        {ID_TOOL_SIGVERIF, W98NT, Shell("sigverif.exe", "(null)", sys)},
        {ID_TOOL_MSCONFIG, W98, Shell("msconfig.exe", "(null)", win)},
        {ID_TOOL_DCOMCNFG, W98NT, Shell("dcomcnfg.exe", "(null)", sys)},
        {ID_TOOL_MMC, NT, Shell("mmc.exe", "(null)", sys)},
        {ID_TOOL_DXDIAG, ALL, Shell("dxdiag.exe", "(null)", sys)},
        {ID_TOOL_SCANREGW, W98, Shell("scanregw.exe", "(null)", sys)},
        {ID_TOOL_MKCOMPAT, W9X, Shell("mkcompat.exe", "(null)", win)},
    };
    std::map<UINT, std::string> expected;
    for (UINT id : kCommands)
        expected[id] = " -"; // pruned, and 40028 everywhere
    for (const Row& r : rows)
        if (r.on & family)
            expected[r.id] = " " + r.call;
    return expected;
}

void CheckFamily(const char* version, Family family)
{
    std::vector<std::string> lines = RunChildOnWindows(version, "SystemCommandChild.Dump", "ZM_COMMAND_DUMP");
    ASSERT_EQ(sizeof(kCommands) / sizeof(kCommands[0]), lines.size());
    std::map<UINT, std::string> expected = Expected(family);
    for (size_t i = 0; i < lines.size(); ++i) {
        UINT id = kCommands[i];
        EXPECT_EQ(std::to_string(id) + ":" + expected[id], lines[i]) << version;
    }
}

TEST(SystemCommandFamily, Windows98) { CheckFamily("win98", W98); }
TEST(SystemCommandFamily, WindowsNT4) { CheckFamily("nt40", NT); }
TEST(SystemCommandFamily, WindowsXP) { CheckFamily("winxp", NT); }

TEST(SystemCommands, EditorDirectoryIsThePathCutAtItsLastBackslash)
{
    char dir[MAX_PATH];
    CSystemCommands::EditorDirectory("C:\\Tools\\Ред\\editor.exe", dir);
    EXPECT_STREQ("C:\\Tools\\Ред", dir);
    CSystemCommands::EditorDirectory("C:\\editor.exe", dir);
    EXPECT_STREQ("C:", dir);
    CSystemCommands::EditorDirectory("\\\\server\\share\\editor.exe", dir);
    EXPECT_STREQ("\\\\server\\share", dir);
    CSystemCommands::EditorDirectory("editor.exe", dir);
    EXPECT_STREQ("editor.exe", dir);
    std::string longPath(MAX_PATH + 40, 'a');
    CSystemCommands::EditorDirectory(longPath.c_str(), dir);
    EXPECT_EQ(size_t(MAX_PATH - 1), std::strlen(dir));
}

TEST(SystemCommands, EveryToolOfTheMenuHasItsProgram)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    std::vector<int> tools = MenuIds(::GetSubMenu(menu, 3));
    ::DestroyMenu(menu);
    size_t n = 0;
    for (int id : tools) {
        if (id <= 0)
            continue;
        ASSERT_LT(n, CSystemCommands::kToolCount);
        EXPECT_EQ((UINT)id, CSystemCommands::kTools[n++].nId); // the table is in menu order
    }
    EXPECT_EQ(20u, n);
    EXPECT_EQ(n, CSystemCommands::kToolCount);
}

class EditorWithoutBackslashTest : public MainWindowTest {
protected:
    void PrepareSettings() override { lstrcpyA(settings.WinSErPath, "winset.exe"); }
};

TEST_F(EditorWithoutBackslashTest, IsBothProgramAndWorkingDirectory)
{
    wnd->SendMessage(WM_COMMAND, ID_APP_SETTINGSEDITOR);
    std::vector<RecordedCall> calls = CallsNamed("ShellExecute");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(Shell("winset.exe", "(null)", "winset.exe"), calls[0].Describe());
    EXPECT_EQ(wnd->m_hWnd, calls[0].parent);
}

TEST_F(MainWindowTest, GreyedEditorAndUncarriedCommandsDoNothing)
{
    // No editor chosen: the item is greyed and its command starts nothing.
    wnd->SendMessage(WM_COMMAND, ID_APP_SETTINGSEDITOR);
    // No menu item carries the forced log-off's own command.
    wnd->SendMessage(WM_COMMAND, ID_SYS_FORCEDLOGOFF);
    EXPECT_TRUE(RecordedCalls().empty());
    // Once a path is stored and the item enabled (as the settings dialog
    // does), the command starts it.
    lstrcpyA(settings.WinSErPath, "D:\\ed.exe");
    ::EnableMenuItem(wnd->GetMenu(), ID_APP_SETTINGSEDITOR, MF_BYCOMMAND | MF_ENABLED);
    wnd->SendMessage(WM_COMMAND, ID_APP_SETTINGSEDITOR);
    ASSERT_EQ(1u, RecordedCalls().size());
    EXPECT_EQ(Shell("D:\\ed.exe", "(null)", "D:"), RecordedCalls()[0].Describe());
}

} // namespace
