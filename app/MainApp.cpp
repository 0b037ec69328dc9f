#include "app/MainApp.h"

#include "base/JobState.h"
#include "app/MainWnd.h"
#include "base/SystemCalls.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"
#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include "res/resource.h"
#include "restore/Restore.h"

#include <cstring>

namespace {

// Lives as long as the process, as the token adjustment asks.
TOKEN_PRIVILEGES s_shutdownPrivilege;

void EnableShutdownPrivilege()
{
    s_shutdownPrivilege.PrivilegeCount = 1;
    s_shutdownPrivilege.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &s_shutdownPrivilege.Privileges[0].Luid))
        return;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return;
    ::AdjustTokenPrivileges(token, FALSE, &s_shutdownPrivilege, 0, nullptr, nullptr);
    ::CloseHandle(token);
}

// Appends a backslash unless the text ends in one (or there is no room).
void EndWithBackslash(char* path)
{
    size_t n = std::strlen(path);
    if ((n == 0 || path[n - 1] != '\\') && n + 1 < MAX_PATH) {
        path[n] = '\\';
        path[n + 1] = 0;
    }
}

void ReadProgramFilesDir()
{
    HKEY key;
    bool ok = false;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ,
                        &key) == ERROR_SUCCESS) {
        DWORD type = 0, size = MAX_PATH - 1;
        if (::RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, (BYTE*)g_szProgramFilesDir,
                               &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            g_szProgramFilesDir[size < MAX_PATH ? size : MAX_PATH - 1] = 0;
            ok = g_szProgramFilesDir[0] != 0;
        }
        ::RegCloseKey(key);
    }
    if (!ok)
        std::strcpy(g_szProgramFilesDir, "C:\\Program files\\");
    EndWithBackslash(g_szProgramFilesDir);
}

} // namespace

CMainApp::CMainApp() : m_pMainFrame(nullptr)
{
    m_szStartDir[0] = 0;
    EnableShutdownPrivilege();
}

CMainApp::~CMainApp()
{
    delete m_pMainFrame;
    m_pMainFrame = nullptr;
}

BOOL CMainApp::InitInstance()
{
    m_CommandLine.Parse(m_lpCmdLine);
    if (m_CommandLine.m_bAutorun)
        UnattendedRestore();
    else
        NormalStart();
    return TRUE;
}

void CMainApp::UnattendedRestore()
{
    if (m_CommandLine.m_bSystemRestore)
        g_SystemCalls.pfnDeleteFile("C:\\autoexec.bat");

    CDialog window(IDD_RESTORE_PROGRESS);
    CStatic current, percent;
    CListCtrl messages;
    CProgressCtrl progress;
    if (window.Create()) {
        window.SetWindowText("Zelmora: Восстановление");
        m_pMainWnd = &window;
        window.ShowWindow(SW_SHOWNORMAL);
        window.UpdateWindow();
        current.Attach(::GetDlgItem(window.m_hWnd, IDC_RESTORE_CURRENT));
        percent.Attach(::GetDlgItem(window.m_hWnd, IDC_PERCENT));
        messages.Attach(::GetDlgItem(window.m_hWnd, IDC_MESSAGES));
        progress.Attach(::GetDlgItem(window.m_hWnd, IDC_PROGRESS));
        progress.SetRange(0, 10);
        // The list shows its lines only in a column.
        RECT rc;
        ::GetClientRect(messages.m_hWnd, &rc);
        messages.InsertColumn(0, "", 2 * (rc.right - rc.left));
    }
    // The whole archive, on this thread, to its end; the window is not pumped.
    // Without a window the restore runs all the same, reporting nowhere.
    CRestore* restore = new CRestore;
    bool shown = window.m_hWnd != nullptr;
    restore->RestoreAll(shown ? &window : nullptr, g_szArchiveName, shown ? &current : nullptr,
                        shown ? &messages : nullptr, shown ? &progress : nullptr, shown ? &percent : nullptr);
    if (shown)
        window.DestroyWindow();
    delete restore;
    m_pMainWnd = nullptr;
    if (m_CommandLine.m_bReboot)
        g_SystemCalls.pfnExitWindowsEx(EWX_REBOOT, 0);
}

void CMainApp::NormalStart()
{
    ::GetWindowsDirectoryA(g_szWindowsDir, MAX_PATH);
    EndWithBackslash(g_szWindowsDir);
    ::GetSystemDirectoryA(g_szSystemDir, MAX_PATH);
    EndWithBackslash(g_szSystemDir);
    ::GetCurrentDirectoryA(MAX_PATH, m_szStartDir);
    EndWithBackslash(m_szStartDir);
    ReadProgramFilesDir();

    char path[MAX_PATH];
    lstrcpynA(path, m_szStartDir, MAX_PATH);
    if (std::strlen(path) + 6 < MAX_PATH)
        std::strcat(path, "ZM.ini");
    m_Settings.SetPath(path);
    m_Settings.Load();
    m_Settings.Save();

    ::CreateDirectoryA(m_Settings.ZMAFolder, nullptr);
    ::CreateDirectoryA(m_Settings.ZMRFolder, nullptr);
    ::CreateDirectoryA(m_Settings.LOGFolder, nullptr);

    m_pMainFrame = new CMainWnd(m_Settings);
    if (m_pMainFrame->Create())
        m_pMainWnd = m_pMainFrame;
}
