#include "app/MainWnd.h"

#include "app/SystemCommands.h"
#include "app/TextViewer.h"
#include "base/JobState.h"
#include "base/SystemCalls.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <cstring>

namespace {

enum { SERVICE_MENU = 1, TOOLS_MENU = 3 };

template <size_t Count> void DeleteCommands(HMENU menu, const UINT (&ids)[Count])
{
    for (UINT id : ids)
        ::DeleteMenu(menu, id, MF_BYCOMMAND);
}

} // namespace

CMainWnd::CMainWnd(CSettings& settings)
    : m_pSplash(nullptr), m_SettingsDlg(settings, this), m_AboutDlg(this), m_Settings(settings),
      m_bTrayIcon(FALSE)
{
    std::strcpy(m_szClassName, "ZelmoraMainWindow");
}

CMainWnd::~CMainWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        HWND h = m_hWnd;
        ::DestroyWindow(h);
    }
}

void CMainWnd::PruneMenu(HMENU menu, DWORD platformId, DWORD minorVersion)
{
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        static const UINT ntOnly[] = {ID_TOOL_REGEDT32, ID_TOOL_DRWTSN32, ID_TOOL_IPSECMON,
                                      ID_TOOL_VERIFIER, ID_TOOL_MMC};
        DeleteCommands(menu, ntOnly);
        if (minorVersion == 0) {
            static const UINT notOn95[] = {ID_TOOL_WINREP,  ID_TOOL_CLICONFG, ID_TOOL_SIGVERIF,
                                           ID_TOOL_MSCONFIG, ID_TOOL_DCOMCNFG, ID_TOOL_SCANREGW};
            DeleteCommands(menu, notOn95);
            // Three separators now stand together below "Конфигурация IP": keep one.
            HMENU tools = ::GetSubMenu(menu, TOOLS_MENU);
            ::DeleteMenu(tools, 10, MF_BYPOSITION);
            ::DeleteMenu(tools, 10, MF_BYPOSITION);
        }
    } else {
        ::DeleteMenu(::GetSubMenu(menu, SERVICE_MENU), 1, MF_BYPOSITION);
        static const UINT win9xOnly[] = {ID_SYS_BOOTDISK, ID_SYS_QUICKREBOOT, ID_TOOL_TASKMAN,
                                         ID_TOOL_WINFILE, ID_TOOL_WINIPCFG,   ID_TOOL_MSCONFIG,
                                         ID_TOOL_SCANREGW, ID_TOOL_MKCOMPAT};
        DeleteCommands(menu, win9xOnly);
    }
}

BOOL CMainWnd::Create()
{
    HINSTANCE inst = AfxGetInstanceHandle();
    RegisterWindowClass(m_szClassName, CS_HREDRAW | CS_VREDRAW);
    HMENU menu = ::LoadMenuA(inst, MAKEINTRESOURCEA(IDR_MAINMENU));
    if (!CreateEx(0, m_szClassName, "Zelmora", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                  0, 0, 640, 480, nullptr, menu)) {
        if (menu)
            ::DestroyMenu(menu);
        return FALSE;
    }
    SetIcon(::LoadIconA(inst, MAKEINTRESOURCEA(IDI_MAIN)), TRUE);

    m_pSplash = new CSplashWnd;
    if (!m_pSplash->Create(this, &m_pSplash)) {
        delete m_pSplash;
        m_pSplash = nullptr;
        ShowWindow(SW_SHOWDEFAULT); // no picture: show the window at once
    }

    HMENU sys = GetSystemMenu(FALSE);
    if (sys) {
        ::DeleteMenu(sys, SC_SIZE, MF_BYCOMMAND);
        ::InsertMenuA(sys, 4, MF_BYPOSITION | MF_STRING, ID_TRAY_MINIMIZE, "Свернуть в Tray");
        ::AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(sys, MF_STRING, ID_APP_ABOUT, "О программе");
    }

    m_MainDlg.Create(IDD_MAIN, this);
    m_MainDlg.ShowWindow(SW_SHOW);
    FitToDialog(TRUE);

    if (m_Settings.WinSErPath[0])
        ::EnableMenuItem(menu, ID_APP_SETTINGSEDITOR, MF_BYCOMMAND | MF_ENABLED);
    ::CheckMenuItem(menu, ID_OPTIONS_ALWAYSTRAY,
                    MF_BYCOMMAND | (m_Settings.MinimizeToTray ? MF_CHECKED : MF_UNCHECKED));

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionExA(&version);
    g_osFamily = OsFamilyOf(version.dwPlatformId, version.dwMajorVersion);
    PruneMenu(menu, version.dwPlatformId, version.dwMinorVersion);
    DrawMenuBar();
    return TRUE;
}

void CMainWnd::FitToDialog(BOOL center)
{
    if (!m_MainDlg.m_hWnd)
        return;
    RECT dlg;
    m_MainDlg.GetClientRect(&dlg);
    int dlgW = dlg.right - dlg.left, dlgH = dlg.bottom - dlg.top;
    // The frame, caption and one line of menu bar around a client area of the
    // dialog's size. (The window's own client rectangle is not asked for here:
    // before the window was first shown it does not yet account for the menu
    // bar as it will be laid out.)
    RECT frame = {0, 0, dlgW, dlgH};
    ::AdjustWindowRectEx(&frame, (DWORD)GetStyle(), TRUE, (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
    int cx = frame.right - frame.left, cy = frame.bottom - frame.top;
    SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsWindowVisible()) {
        // A menu bar that wraps onto more lines at this width takes room from
        // the client area: make up the difference.
        RECT client;
        GetClientRect(&client);
        int missing = dlgH - (client.bottom - client.top);
        if (missing != 0)
            SetWindowPos(nullptr, 0, 0, cx, cy + missing, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_MainDlg.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (center)
        CenterWindow();
}

void CMainWnd::FillTrayRecord(NOTIFYICONDATAA* data) const
{
    ZeroMemory(data, sizeof(*data));
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = m_hWnd;
    data->uID = ID_TRAY_ICON;
    data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data->uCallbackMessage = WM_TRAYNOTIFY;
    data->hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_MAIN));
    ::GetWindowTextA(m_hWnd, data->szTip, 64);
}

void CMainWnd::MinimizeToTray()
{
    NOTIFYICONDATAA data;
    FillTrayRecord(&data);
    g_SystemCalls.pfnNotifyIcon(NIM_ADD, &data);
    m_bTrayIcon = TRUE;
    ShowWindow(SW_HIDE);
}

void CMainWnd::RestoreFromTray()
{
    if (m_bTrayIcon) {
        NOTIFYICONDATAA data;
        FillTrayRecord(&data);
        g_SystemCalls.pfnNotifyIcon(NIM_DELETE, &data);
        m_bTrayIcon = FALSE;
    }
    ShowWindow(SW_SHOW);
    if (IsIconic()) {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof(wp);
        ::GetWindowPlacement(m_hWnd, &wp);
        wp.showCmd = SW_RESTORE;
        ::SetWindowPlacement(m_hWnd, &wp);
    }
}

void CMainWnd::ShowTrayMenu()
{
    POINT pt;
    if (!::GetCursorPos(&pt))
        return;
    HMENU menu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    if (!menu)
        return;
    // The menu closes when the user clicks elsewhere only if this window is in front.
    ::SetForegroundWindow(m_hWnd);
    ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    ::DestroyMenu(menu);
}

void CMainWnd::ToggleAlwaysTray()
{
    m_Settings.MinimizeToTray = !m_Settings.MinimizeToTray;
    ::CheckMenuItem(GetMenu(), ID_OPTIONS_ALWAYSTRAY,
                    MF_BYCOMMAND | (m_Settings.MinimizeToTray ? MF_CHECKED : MF_UNCHECKED));
    m_Settings.Save();
}

void CMainWnd::OnDestroy()
{
    Default();
    if (!IsWindowVisible() && m_bTrayIcon) {
        NOTIFYICONDATAA data;
        FillTrayRecord(&data);
        g_SystemCalls.pfnNotifyIcon(NIM_DELETE, &data);
        m_bTrayIcon = FALSE;
    }
}

void CMainWnd::OnSysCommand(UINT id, LPARAM lParam)
{
    Default();
    if (id == ID_APP_ABOUT) {
        m_AboutDlg.DoModal();
    } else if (id == ID_TRAY_MINIMIZE) {
        MinimizeToTray();
    }
}

void CMainWnd::OnSize(UINT type, int cx, int cy)
{
    Default();
    if (type == SIZE_MINIMIZED && m_Settings.MinimizeToTray)
        MinimizeToTray();
}

void CMainWnd::OnSettingChange(UINT flags, LPCSTR section)
{
    Default();
    FitToDialog(FALSE);
}

LRESULT CMainWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TRAYNOTIFY) {
        OnTrayNotify(LOWORD(lParam));
        return 0;
    }
    return Default();
}

void CMainWnd::OnTrayNotify(UINT mouseMsg)
{
    if (mouseMsg == WM_LBUTTONDBLCLK)
        RestoreFromTray();
    else if (mouseMsg == WM_RBUTTONUP)
        ShowTrayMenu();
}

void CMainWnd::OnCommand(UINT id, UINT code, HWND hCtl)
{
    switch (id) {
    case ID_FILE_NEWARCHIVE: m_MainDlg.ShowWizard(CMainDlg::WIZARD_ARCHIVE); break;
    case ID_FILE_OPENARCHIVE: m_MainDlg.ShowWizard(CMainDlg::WIZARD_RESTORE); break;
    case ID_ACTION_SCAN: m_MainDlg.ShowWizard(CMainDlg::WIZARD_SCAN); break;
    case ID_ACTION_COMPARE: m_MainDlg.ShowWizard(CMainDlg::WIZARD_COMPARE); break;
    case ID_TRAY_MINIMIZE: MinimizeToTray(); break;
    case ID_TRAY_RESTORE: RestoreFromTray(); break;
    case ID_APP_EXIT: DestroyWindow(); break;
    case ID_OPTIONS_ALWAYSTRAY: ToggleAlwaysTray(); break;
    case ID_OPTIONS_SETTINGS: m_SettingsDlg.DoModal(); break;
    case ID_APP_ABOUT: m_AboutDlg.DoModal(); break;
    case ID_HELP_README: CTextViewer::Show(m_hWnd, IDR_README, "ReadMe.txt"); break;
    case ID_HELP_LICENSE: CTextViewer::Show(m_hWnd, IDR_LICENSE, "License.txt"); break;
    case ID_HELP_SITE: CAboutDlg::OpenWebSite(m_hWnd); break;
    default:
        // A system command or tool runs only while its menu item offers it,
        // so that none reaches a Windows family it was not meant for.
        if (IsOffered(id))
            CSystemCommands::Execute(id, m_hWnd, m_Settings.WinSErPath);
        else
            Default();
        break;
    }
}

BOOL CMainWnd::IsOffered(UINT id) const
{
    UINT state = ::GetMenuState(GetMenu(), id, MF_BYCOMMAND);
    return state != (UINT)-1 && !(state & (MF_GRAYED | MF_DISABLED));
}
