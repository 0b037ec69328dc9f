// The main window: menu bar, child dialog with the four wizard buttons, the
// notification-area (tray) icon, the settings dialog and the About box. Created hidden; the
// splash picture shows it when it goes. Destroying it ends the program.
#pragma once

#include "app/AboutDlg.h"
#include "app/MainDlg.h"
#include "base/Settings.h"
#include "app/SettingsDlg.h"
#include "app/SplashWnd.h"
#include "framework/WindowImpl.h"

#include <shellapi.h>

class CMainWnd : public CWindowImpl {
public:
    explicit CMainWnd(CSettings& settings);
    ~CMainWnd() override;

    // Registers the class, creates the window with its menu, icon, splash,
    // system-menu items and child dialog, fits it, sets the menu states and
    // prunes the menu for the running Windows family (setting g_osFamily).
    BOOL Create();

    void MinimizeToTray();
    void RestoreFromTray();
    void ShowTrayMenu();
    void ToggleAlwaysTray();
    // Sizes the window so that its client area holds the child dialog.
    void FitToDialog(BOOL center);
    BOOL IsInTray() const { return m_bTrayIcon; }
    // The tray icon record (owner, identifier, callback, icon, tip).
    void FillTrayRecord(NOTIFYICONDATAA* data) const;

    // Removes the menu items that the Windows version does not offer.
    static void PruneMenu(HMENU menu, DWORD platformId, DWORD minorVersion);

    char m_szClassName[32];
    CSplashWnd* m_pSplash;
    CMainDlg m_MainDlg;
    CSettingsDlg m_SettingsDlg;
    CAboutDlg m_AboutDlg;

protected:
    void OnDestroy() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSettingChange(UINT flags, LPCSTR section) override;
    void OnCommand(UINT id, UINT code, HWND hCtl) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnTrayNotify(UINT mouseMsg);
    // Whether the menu bar offers the command now: present for this Windows
    // family and not greyed.
    BOOL IsOffered(UINT id) const;

    CSettings& m_Settings;
    BOOL m_bTrayIcon;
};
