#include "base/JobState.h"
#include "app/MainWnd.h"
#include "res/resource.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <sstream>

namespace {

const std::vector<int> kServiceNT = {-1, 0, 40025, 40026, 40024, 40027};
const std::vector<int> kService9x = {-1, 0, 40059, 0, 40025, 40026, 40062, 40024, 40027};
const std::vector<int> kToolsNT = {40016, 40035, 40017, 0,     40019, 0,     40022, 40039, 40046, 0,
                                   40044, 40052, 0,     40045, 40042, 0,     40041, 0,     40043, 40051};
const std::vector<int> kTools98 = {40016, 40017, 0,     40018, 40019, 40020, 0,     40022, 40046, 0,    40040,
                                   40052, 0,     40042, 0,     40048, 40041, 0,     40051, 40049, 40021};
const std::vector<int> kTools95 = {40016, 40017, 0, 40018, 40019, 40020, 0, 40022, 0, 40040, 0, 40051, 40021};

bool NoAdjacentSeparators(const std::vector<int>& ids)
{
    for (size_t i = 1; i < ids.size(); ++i)
        if (ids[i] == 0 && ids[i - 1] == 0)
            return false;
    return !ids.empty() && ids.front() != 0 && ids.back() != 0;
}

struct Pruned {
    std::vector<int> service, tools;
};

Pruned Prune(DWORD platform, DWORD minor)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    CMainWnd::PruneMenu(menu, platform, minor);
    Pruned p = {MenuIds(::GetSubMenu(menu, 1)), MenuIds(::GetSubMenu(menu, 3))};
    ::DestroyMenu(menu);
    return p;
}

TEST(MenuPruning, FullMenuBeforePruning)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    std::vector<int> tools = MenuIds(::GetSubMenu(menu, 3));
    std::vector<int> expected = {40016, 40035, 40017, 0,     40018, 40019, 40020, 0,     40022,
                                 40039, 40046, 0,     40040, 40044, 40052, 0,     40045, 40042,
                                 0,     40048, 40041, 0,     40043, 40051, 40049, 40021};
    EXPECT_EQ(expected, tools);
    std::vector<std::string> texts = MenuTexts(::GetSubMenu(menu, 3));
    EXPECT_EQ("Редактор реестра", texts[0]);
    EXPECT_EQ("Программа настройка системы (MS Config)", texts[19]);
    EXPECT_EQ("Обеспечить совместимость", texts[25]);
    EXPECT_EQ(kService9x, MenuIds(::GetSubMenu(menu, 1)));
    // The settings editor's item starts greyed.
    EXPECT_TRUE(::GetMenuState(menu, ID_APP_SETTINGSEDITOR, MF_BYCOMMAND) & MF_GRAYED);
    ::DestroyMenu(menu);
}

TEST(MenuPruning, PerFamily)
{
    Pruned w95 = Prune(VER_PLATFORM_WIN32_WINDOWS, 0);
    EXPECT_EQ(kService9x, w95.service);
    EXPECT_EQ(kTools95, w95.tools);
    EXPECT_TRUE(NoAdjacentSeparators(w95.tools));
    Pruned w98 = Prune(VER_PLATFORM_WIN32_WINDOWS, 10);
    EXPECT_EQ(kService9x, w98.service);
    EXPECT_EQ(kTools98, w98.tools);
    EXPECT_TRUE(NoAdjacentSeparators(w98.tools));
    Pruned nt = Prune(VER_PLATFORM_WIN32_NT, 0);
    EXPECT_EQ(kServiceNT, nt.service);
    EXPECT_EQ(kToolsNT, nt.tools);
    EXPECT_TRUE(NoAdjacentSeparators(nt.tools));
}

TEST(MenuPruning, Families)
{
    EXPECT_EQ(OS_WIN9X, OsFamilyOf(VER_PLATFORM_WIN32_WINDOWS, 4));
    EXPECT_EQ(OS_NT4, OsFamilyOf(VER_PLATFORM_WIN32_NT, 3));
    EXPECT_EQ(OS_NT4, OsFamilyOf(VER_PLATFORM_WIN32_NT, 4));
    EXPECT_EQ(OS_NT5, OsFamilyOf(VER_PLATFORM_WIN32_NT, 5));
    EXPECT_EQ(OS_NT5, OsFamilyOf(VER_PLATFORM_WIN32_NT, 10));
}

std::string Join(const std::vector<int>& ids)
{
    std::ostringstream s;
    for (int id : ids)
        s << id << ' ';
    return s.str();
}

// Run in a child process whose reported Windows version was set beforehand:
// creates the real main window and writes what it made of the version.
TEST(MenuFamilyChild, Dump)
{
    const char* out = std::getenv("ZM_MENU_DUMP");
    if (!out)
        GTEST_SKIP() << "only run as the child of MenuFamily";
    CWinApp app;
    CScratchDir dir;
    CSettings settings;
    CMainWnd wnd(settings);
    ASSERT_TRUE(wnd.Create());
    HMENU menu = wnd.GetMenu();
    std::string text = std::to_string(g_osFamily) + "\n" + Join(MenuIds(::GetSubMenu(menu, 1))) + "\n" +
                       Join(MenuIds(::GetSubMenu(menu, 3))) + "\n";
    WriteFileBytes(out, Bytes(text.begin(), text.end()));
    wnd.DestroyWindow();
}

std::vector<std::string> RunChild(const char* version)
{
    return RunChildOnWindows(version, "MenuFamilyChild.Dump", "ZM_MENU_DUMP");
}

TEST(MenuFamily, Windows95)
{
    std::vector<std::string> d = RunChild("win95");
    ASSERT_EQ(3u, d.size());
    EXPECT_EQ("0", d[0]);
    EXPECT_EQ(Join(kService9x), d[1]);
    EXPECT_EQ(Join(kTools95), d[2]);
}

TEST(MenuFamily, Windows98)
{
    std::vector<std::string> d = RunChild("win98");
    ASSERT_EQ(3u, d.size());
    EXPECT_EQ("0", d[0]);
    EXPECT_EQ(Join(kService9x), d[1]);
    EXPECT_EQ(Join(kTools98), d[2]);
}

TEST(MenuFamily, WindowsNT4)
{
    std::vector<std::string> d = RunChild("nt40");
    ASSERT_EQ(3u, d.size());
    EXPECT_EQ("1", d[0]);
    EXPECT_EQ(Join(kServiceNT), d[1]);
    EXPECT_EQ(Join(kToolsNT), d[2]);
}

TEST(MenuFamily, WindowsXP)
{
    std::vector<std::string> d = RunChild("winxp");
    ASSERT_EQ(3u, d.size());
    EXPECT_EQ("2", d[0]);
    EXPECT_EQ(Join(kServiceNT), d[1]);
    EXPECT_EQ(Join(kToolsNT), d[2]);
}

} // namespace
