#include "base/FileNames.h"
#include "base/JobState.h"
#include "app/MainApp.h"
#include "app/MainWnd.h"
#include "backup/Backup.h"
#include "res/resource.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// What the unattended window showed: the lines added to its message list, with
// the window's caption and visibility at that moment.
struct WindowWatch {
    static WindowWatch* s_current;
    std::vector<std::string> lines;
    std::string caption;
    bool visible = false;
    bool progressRangeTen = false;
    HHOOK hook = nullptr;

    WindowWatch()
    {
        s_current = this;
        hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &Proc, nullptr, ::GetCurrentThreadId());
    }
    ~WindowWatch()
    {
        ::UnhookWindowsHookEx(hook);
        s_current = nullptr;
    }
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        WindowWatch* w = s_current;
        if (code == HC_ACTION && w && m->message == LVM_INSERTITEMA && ::GetDlgCtrlID(m->hwnd) == IDC_MESSAGES) {
            const LVITEMA* item = reinterpret_cast<const LVITEMA*>(m->lParam);
            w->lines.push_back(item->pszText ? item->pszText : "");
            HWND top = ::GetParent(m->hwnd);
            char text[128] = "";
            ::GetWindowTextA(top, text, sizeof(text));
            w->caption = text;
            w->visible = ::IsWindowVisible(top) != FALSE;
            PBRANGE range = {};
            ::SendMessageA(::GetDlgItem(top, IDC_PROGRESS), PBM_GETRANGE, FALSE, (LPARAM)&range);
            w->progressRangeTen = range.iLow == 0 && range.iHigh == 10;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};
WindowWatch* WindowWatch::s_current = nullptr;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordedCalls().clear();
        ::GetCurrentDirectoryA(MAX_PATH, savedDir);
        startDir = dir / "start";
        ::CreateDirectoryA(startDir.c_str(), nullptr);
        ::SetCurrentDirectoryA(startDir.c_str());
        g_szArchiveName[0] = 0;
    }
    void TearDown() override
    {
        ::SetCurrentDirectoryA(savedDir);
        MSG m;
        while (::PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    // Runs the program's start with the command line; returns Run's result.
    int Start(CMainApp& app, const std::string& line)
    {
        cmdLine = line;
        app.m_lpCmdLine = &cmdLine[0];
        EXPECT_TRUE(app.InitInstance());
        return app.m_pMainWnd ? 0 : app.Run();
    }

    CScratchDir dir;
    std::string startDir;
    std::string cmdLine;
    char savedDir[MAX_PATH];
};

TEST_F(StartupTest, AutorunRestoresAQuotedArchiveWithBlanksInItsPath)
{
    std::string src = dir / "source dir";
    ::CreateDirectoryA(src.c_str(), nullptr);
    ::CreateDirectoryA((src + "\\sub dir").c_str(), nullptr);
    WriteText(src + "\\a file.txt", "первый файл");
    WriteText(src + "\\sub dir\\b.txt", std::string(5000, 'b'));
    std::string archives = dir / "my archives";
    ::CreateDirectoryA(archives.c_str(), nullptr);
    std::string archive = archives + "\\Arc 0001.zma";

    std::memset(ArchiveFlags, 0, sizeof(ArchiveFlags));
    ArchiveFlags[AF_FILES] = ArchiveFlags[AF_ATTRIBUTES] = ArchiveFlags[AF_TIMES] = 1;
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    ASSERT_TRUE(AddPathItem((src + "\\").c_str(), 1));
    CBackup* backup = new CBackup;
    backup->SetArchivePath(archive.c_str());
    backup->Run();
    ASSERT_EQ(CBackup::RESULT_OK, backup->m_nResult);
    delete backup;
    RemoveTree(src);
    ASSERT_FALSE(FileExistsAt(src + "\\a file.txt"));
    // The command line may say otherwise: the archive's own header decides.
    std::memset(ArchiveFlags, 0, sizeof(ArchiveFlags));

    WindowWatch watch;
    {
        CMainApp app;
        EXPECT_EQ(0, Start(app, "/autorun \"" + archive + "\""));
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        EXPECT_EQ(nullptr, app.m_pMainFrame);
    }
    EXPECT_STREQ(archive.c_str(), g_szArchiveName);
    EXPECT_EQ("первый файл", ReadText(src + "\\a file.txt"));
    EXPECT_EQ(std::string(5000, 'b'), ReadText(src + "\\sub dir\\b.txt"));
    ASSERT_FALSE(watch.lines.empty());
    EXPECT_EQ("Все данные были успешно восстановлены", watch.lines.back());
    EXPECT_EQ("Zelmora: Восстановление", watch.caption);
    EXPECT_TRUE(watch.visible);
    EXPECT_TRUE(watch.progressRangeTen);
    // Nothing of the normal start: no settings file, no folders, no reboot.
    EXPECT_FALSE(FileExistsAt(startDir + "\\ZM.ini"));
    EXPECT_FALSE(IsDirectory((startDir + "\\Archives").c_str()));
    EXPECT_TRUE(CallsNamed("ExitWindowsEx").empty());
    EXPECT_TRUE(CallsNamed("DeleteFile").empty());
    // The window is gone and the message loop does not wait for anything.
    EXPECT_EQ(nullptr, ::FindWindowA("#32770", "Zelmora: Восстановление"));
}

TEST_F(StartupTest, AutorunRebootWithAMissingArchiveStillReboots)
{
    WindowWatch watch;
    {
        CMainApp app;
        Start(app, "/autorun /reboot " + dir / "missing.zma");
    }
    EXPECT_EQ((std::vector<std::string>{"Ошибка открытия файла"}), watch.lines);
    std::vector<RecordedCall> calls = CallsNamed("ExitWindowsEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((UINT)EWX_REBOOT, calls[0].flags);
    EXPECT_FALSE(FileExistsAt(startDir + "\\ZM.ini"));
}

TEST_F(StartupTest, AutorunTrailingBlankLeavesNoNameAndSystemRestoreDeletesAutoexec)
{
    WindowWatch watch;
    {
        CMainApp app;
        Start(app, "-AUTORUN /rs " + dir / "some.zma" + " ");
    }
    EXPECT_STREQ("", g_szArchiveName);
    EXPECT_EQ((std::vector<std::string>{"Ошибка открытия файла"}), watch.lines);
    std::vector<RecordedCall> deletes = CallsNamed("DeleteFile");
    ASSERT_EQ(1u, deletes.size());
    EXPECT_EQ("C:\\autoexec.bat", deletes[0].text);
    EXPECT_TRUE(CallsNamed("ExitWindowsEx").empty());
}

TEST_F(StartupTest, NormalStartPreparesPathsSettingsAndFolders)
{
    CMainApp app;
    Start(app, "/ro_cf /reboot /rs x.zma");
    ASSERT_NE(nullptr, app.m_pMainFrame);
    EXPECT_EQ(app.m_pMainFrame, app.m_pMainWnd);
    EXPECT_TRUE(::IsWindow(app.m_pMainFrame->m_hWnd));
    EXPECT_EQ(1, g_bClearFolders); // stands for the restoring wizard's options
    EXPECT_TRUE(CallsNamed("ExitWindowsEx").empty());
    EXPECT_TRUE(CallsNamed("DeleteFile").empty());

    EXPECT_EQ(startDir + "\\", std::string(app.m_szStartDir));
    for (const char* d : {g_szWindowsDir, g_szSystemDir, g_szProgramFilesDir}) {
        size_t n = std::strlen(d);
        ASSERT_GT(n, 3u);
        EXPECT_EQ('\\', d[n - 1]) << d;
    }
    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\", g_szWindowsDir);

    std::string ini = ReadText(startDir + "\\ZM.ini");
    EXPECT_NE(std::string::npos, ini.find("MinimizeToTray=False"));
    EXPECT_NE(std::string::npos, ini.find("LOGFolder=Logs"));
    EXPECT_TRUE(IsDirectory((startDir + "\\Archives").c_str()));
    EXPECT_TRUE(IsDirectory((startDir + "\\Reports").c_str()));
    EXPECT_TRUE(IsDirectory((startDir + "\\Logs").c_str()));
    EXPECT_STREQ((startDir + "\\ZM.ini").c_str(), app.m_Settings.m_szPath);

    // Closing the window ends the message loop.
    if (app.m_pMainFrame->m_pSplash)
        app.m_pMainFrame->m_pSplash->DestroyWindow();
    app.m_pMainFrame->PostMessage(WM_COMMAND, ID_APP_EXIT);
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ(nullptr, app.m_pMainWnd);
}

TEST_F(StartupTest, ReadOnlySettingsFileIsReadOnlyAgainAtExit)
{
    std::string ini = startDir + "\\ZM.ini";
    WriteText(ini, "[Interface]\r\nMinimizeToTray=1\r\n");
    ::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    DWORD before = ::GetFileAttributesA(ini.c_str());
    ASSERT_TRUE(before & FILE_ATTRIBUTE_READONLY);
    {
        CMainApp app;
        Start(app, "");
        EXPECT_TRUE(app.m_Settings.MinimizeToTray);
        EXPECT_NE(std::string::npos, ReadText(ini).find("MinimizeToTray=True")); // rewritten at start
        EXPECT_NE(std::string::npos, ReadText(ini).find("ZMAFolder=Archives"));
        EXPECT_FALSE(::GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_READONLY);
        app.m_pMainFrame->DestroyWindow();
    }
    EXPECT_EQ(before, ::GetFileAttributesA(ini.c_str()));
    ::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
