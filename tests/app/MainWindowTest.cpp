#include "base/JobState.h"
#include "app/MainWnd.h"
#include "framework/WorkerThread.h"
#include "res/resource.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>


namespace {

TEST_F(MainWindowTest, CreatedHiddenThenShownWhenTheSplashGoes)
{
    EXPECT_FALSE(wnd->IsWindowVisible());
    ASSERT_NE(nullptr, wnd->m_pSplash);
    HWND splash = wnd->m_pSplash->m_hWnd;
    RECT r;
    ::GetWindowRect(splash, &r);
    EXPECT_EQ(350, r.right - r.left);
    EXPECT_EQ(256, r.bottom - r.top);
    EXPECT_TRUE(::IsWindowVisible(splash));
    EXPECT_TRUE(::GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(wnd->m_hWnd, ::GetWindow(splash, GW_OWNER));
    char title[16] = "x";
    ::GetWindowTextA(splash, title, sizeof(title));
    EXPECT_STREQ("", title);
    // The splash's own timer ends it and shows the main window.
    ASSERT_TRUE(PumpUntil([&] { return wnd->m_pSplash == nullptr; }, 10000));
    EXPECT_FALSE(::IsWindow(splash));
    EXPECT_TRUE(wnd->IsWindowVisible());
}

TEST_F(MainWindowTest, WindowClassStyleAndTitle)
{
    SkipSplash();
    char text[64];
    wnd->GetWindowText(text, sizeof(text));
    EXPECT_STREQ("Zelmora", text);
    LONG_PTR style = wnd->GetStyle();
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_POPUP);
    ::GetClassNameA(wnd->m_hWnd, text, sizeof(text));
    EXPECT_STREQ(wnd->m_szClassName, text);
    WNDCLASSA wc;
    ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), wnd->m_szClassName, &wc));
    EXPECT_EQ((UINT)(CS_HREDRAW | CS_VREDRAW), wc.style);
    EXPECT_EQ(nullptr, wc.hCursor);
    EXPECT_EQ(nullptr, wc.hbrBackground);
    EXPECT_NE(nullptr, (HICON)wnd->SendMessage(WM_GETICON, ICON_BIG));
}

TEST_F(MainWindowTest, FittedToTheDialogAndCentred)
{
    SkipSplash();
    RECT client, dlg, win;
    wnd->GetClientRect(&client);
    ::GetClientRect(Dialog(), &dlg);
    EXPECT_EQ(dlg.right, client.right);
    EXPECT_EQ(dlg.bottom, client.bottom);
    ::GetWindowRect(Dialog(), &dlg);
    POINT origin = {0, 0};
    ::ClientToScreen(wnd->m_hWnd, &origin);
    EXPECT_EQ(origin.x, dlg.left);
    EXPECT_EQ(origin.y, dlg.top);
    wnd->GetWindowRect(&win);
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((work.left + work.right) / 2, (win.left + win.right) / 2, 1);
    EXPECT_NEAR((work.top + work.bottom) / 2, (win.top + win.bottom) / 2, 1);

    // After a settings change the window is fitted again, without moving.
    wnd->SetWindowPos(nullptr, 10, 10, 200, 100, SWP_NOZORDER);
    wnd->SendMessage(WM_SETTINGCHANGE, 0, 0);
    wnd->GetClientRect(&client);
    ::GetClientRect(Dialog(), &dlg);
    EXPECT_EQ(dlg.right, client.right);
    EXPECT_EQ(dlg.bottom, client.bottom);
    wnd->GetWindowRect(&win);
    EXPECT_EQ(10, win.left);
    EXPECT_EQ(10, win.top);
}

TEST_F(MainWindowTest, MainDialogButtonsHavePicturesAndTexts)
{
    SkipSplash();
    EXPECT_TRUE(::GetWindowLongA(Dialog(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(4, wnd->m_MainDlg.m_ImageList.GetImageCount());
    int cx = 0, cy = 0;
    ImageList_GetIconSize(wnd->m_MainDlg.m_ImageList, &cx, &cy);
    EXPECT_EQ(64, cx);
    EXPECT_EQ(64, cy);
    const UINT buttons[] = {IDC_ARCHIVE, IDC_RESTORE, IDC_SCAN, IDC_COMPARE};
    for (UINT id : buttons) {
        HWND b = ::GetDlgItem(Dialog(), id);
        ASSERT_NE(nullptr, b) << id;
        EXPECT_TRUE(::GetWindowLongA(b, GWL_STYLE) & BS_ICON) << id;
        EXPECT_NE(nullptr, (HICON)::SendMessageA(b, BM_GETIMAGE, IMAGE_ICON, 0)) << id;
        RECT r;
        ::GetWindowRect(b, &r);
        ::MapWindowPoints(nullptr, Dialog(), (POINT*)&r, 2);
        EXPECT_LT(r.left, 15) << id; // at the left edge
    }
    // Stacked in order from the top.
    RECT a, d;
    ::GetWindowRect(::GetDlgItem(Dialog(), IDC_ARCHIVE), &a);
    ::GetWindowRect(::GetDlgItem(Dialog(), IDC_COMPARE), &d);
    EXPECT_LT(a.top, d.top);
    // Pressing a button opens its wizard and keeps the window.
    DWORD uiThread = ::GetCurrentThreadId();
    auto driver = StartWorker([&] {
        UseDesktopOfThread(uiThread);
        if (HWND sheet = WaitForWindow("Zelmora: Архивирование")) {
            ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            ::PostMessageA(sheet, WM_NULL, 0, 0);
        }
    });
    ::SendMessageA(::GetDlgItem(Dialog(), IDC_ARCHIVE), BM_CLICK, 0, 0);
    driver->Join();
    EXPECT_TRUE(wnd->IsWindowVisible());
}

TEST_F(MainWindowTest, EscapeDoesNothing)
{
    SkipSplash();
    HWND button = ::GetDlgItem(Dialog(), IDC_ARCHIVE);
    ::SetFocus(button);
    ::PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageA(button, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    ::PostMessageA(Dialog(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PumpPending();
    ::SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ::SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ::SendMessageA(wnd->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PumpPending();
    EXPECT_TRUE(::IsWindow(Dialog()));
    EXPECT_TRUE(::IsWindowVisible(Dialog()));
    EXPECT_TRUE(wnd->IsWindowVisible());
    for (UINT id : {IDC_ARCHIVE, IDC_RESTORE, IDC_SCAN, IDC_COMPARE})
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(Dialog(), id)));
}

TEST_F(MainWindowTest, MenuBarLayout)
{
    HMENU menu = wnd->GetMenu();
    std::vector<std::string> top = MenuTexts(menu);
    std::vector<std::string> expected = {"Файл", "Сервис", "Приложения", "Утилиты", "Опции", "Справка"};
    EXPECT_EQ(expected, top);
    EXPECT_EQ((std::vector<std::string>{"Создать архив", "Открыть архив", "-", "Свернуть в Tray", "-",
                                        "Выход\tAlt+F4"}),
              MenuTexts(::GetSubMenu(menu, 0)));
    EXPECT_EQ((std::vector<int>{ID_FILE_NEWARCHIVE, ID_FILE_OPENARCHIVE, 0, ID_TRAY_MINIMIZE, 0, ID_APP_EXIT}),
              MenuIds(::GetSubMenu(menu, 0)));
    HMENU actions = ::GetSubMenu(::GetSubMenu(menu, 1), 0);
    EXPECT_EQ((std::vector<std::string>{"Архивирование", "Восстановление", "Сканирование", "Сравнение"}),
              MenuTexts(actions));
    EXPECT_EQ((std::vector<int>{40003, 40004, 40005, 40006}), MenuIds(actions));
    EXPECT_EQ((std::vector<std::string>{"Редактор настроек Windows"}), MenuTexts(::GetSubMenu(menu, 2)));
    EXPECT_EQ((std::vector<std::string>{"Всегда сворачивать в System Tray", "-", "Настройки"}),
              MenuTexts(::GetSubMenu(menu, 4)));
    EXPECT_EQ((std::vector<int>{40031, 0, 40015}), MenuIds(::GetSubMenu(menu, 4)));
    EXPECT_EQ((std::vector<std::string>{"Соглашение", "ReadMe", "-", "Сайт компании Quorvane", "О программе"}),
              MenuTexts(::GetSubMenu(menu, 5)));
    EXPECT_EQ((std::vector<int>{40013, 40012, 0, 40033, 40008}), MenuIds(::GetSubMenu(menu, 5)));

    // Wine reports an NT version of family 2 unless told otherwise.
    EXPECT_EQ(OS_NT5, g_osFamily);
    EXPECT_EQ((std::vector<int>{-1, 0, 40025, 40026, 40024, 40027}), MenuIds(::GetSubMenu(menu, 1)));
    EXPECT_EQ((std::vector<std::string>{"Действия", "-", "Выключить компьютер", "Перезагрузить компьютер",
                                        "Завершить сеанс для текущего пользователя",
                                        "Закрыть все активные процессы"}),
              MenuTexts(::GetSubMenu(menu, 1)));
}

TEST_F(MainWindowTest, TrayMenuResource)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(nullptr, menu);
    HMENU popup = ::GetSubMenu(menu, 0);
    EXPECT_EQ((std::vector<std::string>{"Восстановить", "Закрыть", "-", "Сайт компании Quorvane", "О программе"}),
              MenuTexts(popup));
    EXPECT_EQ((std::vector<int>{40030, 40032, 0, 40033, 40008}), MenuIds(popup));
    ::DestroyMenu(menu);
}

TEST_F(MainWindowTest, SystemMenuOrder)
{
    HMENU sys = wnd->GetSystemMenu(FALSE);
    // Wine puts an "About Wine" item (SC_SCREENSAVE + 1) with a separator of
    // its own before the program's last item; it is not the program's.
    const UINT aboutWine = SC_SCREENSAVE + 1;
    int at = -1;
    for (int i = 0; i < ::GetMenuItemCount(sys); ++i)
        if (::GetMenuItemID(sys, i) == aboutWine)
            at = i;
    if (at > 0) {
        ::DeleteMenu(sys, at, MF_BYPOSITION);
        ::DeleteMenu(sys, at, MF_BYPOSITION);
    }
    std::vector<int> ids = MenuIds(sys);
    std::vector<int> expected = {SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, ID_TRAY_MINIMIZE, 0, SC_CLOSE, 0,
                                 ID_APP_ABOUT};
    EXPECT_EQ(expected, ids);
    std::vector<std::string> texts = MenuTexts(sys);
    ASSERT_EQ(9u, texts.size());
    EXPECT_EQ("Свернуть в Tray", texts[4]);
    EXPECT_EQ("О программе", texts[8]);
}

TEST_F(MainWindowTest, SettingsEditorCommandFollowsThePath)
{
    EXPECT_TRUE(MenuState(ID_APP_SETTINGSEDITOR) & MF_GRAYED);
    EXPECT_FALSE(MenuState(ID_OPTIONS_ALWAYSTRAY) & MF_CHECKED);
}

class MainWindowWithSettingsTest : public MainWindowTest {
protected:
    void PrepareSettings() override
    {
        lstrcpyA(settings.WinSErPath, "C:\\tools\\editor.exe");
        settings.MinimizeToTray = TRUE;
        settings.RestoreThreadPriority = 7;
        settings.ScanThreadPriority = 2;
    }
};

TEST_F(MainWindowWithSettingsTest, StoredSettingsShowInTheMenu)
{
    EXPECT_FALSE(MenuState(ID_APP_SETTINGSEDITOR) & MF_GRAYED);
    EXPECT_TRUE(MenuState(ID_OPTIONS_ALWAYSTRAY) & MF_CHECKED);
}

TEST_F(MainWindowTest, AlwaysTrayToggleIsSavedAtOnce)
{
    SkipSplash();
    wnd->SendMessage(WM_COMMAND, ID_OPTIONS_ALWAYSTRAY);
    EXPECT_TRUE(settings.MinimizeToTray);
    EXPECT_TRUE(MenuState(ID_OPTIONS_ALWAYSTRAY) & MF_CHECKED);
    EXPECT_NE(std::string::npos, ReadText(ini).find("MinimizeToTray=True"));
    wnd->SendMessage(WM_COMMAND, ID_OPTIONS_ALWAYSTRAY);
    EXPECT_FALSE(settings.MinimizeToTray);
    EXPECT_FALSE(MenuState(ID_OPTIONS_ALWAYSTRAY) & MF_CHECKED);
    EXPECT_NE(std::string::npos, ReadText(ini).find("MinimizeToTray=False"));
}

TEST_F(MainWindowTest, TrayInAndOutByMenuAndDoubleClick)
{
    SkipSplash();
    wnd->SendMessage(WM_COMMAND, ID_TRAY_MINIMIZE);
    EXPECT_FALSE(wnd->IsWindowVisible());
    EXPECT_TRUE(wnd->IsInTray());
    std::vector<RecordedCall> calls = CallsNamed("NotifyIcon");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((UINT)NIM_ADD, calls[0].flags);
    const NOTIFYICONDATAA& icon = calls[0].icon;
    EXPECT_EQ((DWORD)NOTIFYICONDATAA_V1_SIZE, icon.cbSize);
#ifndef _WIN64
    EXPECT_EQ(88u, icon.cbSize);
#endif
    EXPECT_EQ(wnd->m_hWnd, icon.hWnd);
    EXPECT_EQ(1024u, icon.uID);
    EXPECT_EQ(7u, icon.uFlags);
    EXPECT_EQ(0x8080u, icon.uCallbackMessage);
    EXPECT_NE(nullptr, icon.hIcon);
    EXPECT_STREQ("Zelmora", icon.szTip);

    // Other mouse messages are ignored.
    wnd->SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_LBUTTONDOWN);
    wnd->SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_MOUSEMOVE);
    EXPECT_FALSE(wnd->IsWindowVisible());

    wnd->SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(wnd->IsWindowVisible());
    EXPECT_FALSE(wnd->IsInTray());
    calls = CallsNamed("NotifyIcon");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((UINT)NIM_DELETE, calls[1].flags);
    EXPECT_EQ(1024u, calls[1].icon.uID);

    // The tray menu's "Восстановить" does the same.
    wnd->SendMessage(WM_SYSCOMMAND, ID_TRAY_MINIMIZE); // from the system menu
    EXPECT_FALSE(wnd->IsWindowVisible());
    wnd->SendMessage(WM_COMMAND, ID_TRAY_RESTORE);
    EXPECT_TRUE(wnd->IsWindowVisible());
    EXPECT_EQ(4u, CallsNamed("NotifyIcon").size());
}

TEST_F(MainWindowTest, MinimiseBoxWithoutTrayOptionGoesToTheTaskBar)
{
    SkipSplash();
    wnd->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    PumpPending();
    EXPECT_TRUE(wnd->IsIconic());
    EXPECT_TRUE(wnd->IsWindowVisible());
    EXPECT_TRUE(CallsNamed("NotifyIcon").empty());
    wnd->SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    PumpPending();
    EXPECT_FALSE(wnd->IsIconic());
}

TEST_F(MainWindowWithSettingsTest, MinimiseBoxWithTrayOptionHidesAndRestoresInNormalSize)
{
    SkipSplash();
    RECT before;
    wnd->GetWindowRect(&before);
    wnd->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    PumpPending();
    EXPECT_FALSE(wnd->IsWindowVisible());
    EXPECT_TRUE(wnd->IsInTray());
    ASSERT_EQ(1u, CallsNamed("NotifyIcon").size());
    wnd->SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_LBUTTONDBLCLK);
    PumpPending();
    EXPECT_TRUE(wnd->IsWindowVisible());
    EXPECT_FALSE(wnd->IsIconic());
    RECT after;
    wnd->GetWindowRect(&after);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
}

TEST_F(MainWindowTest, ClosingWhileInTheTrayRemovesTheIcon)
{
    SkipSplash();
    wnd->SendMessage(WM_COMMAND, ID_TRAY_MINIMIZE);
    ASSERT_EQ(1u, CallsNamed("NotifyIcon").size());
    wnd->SendMessage(WM_COMMAND, ID_APP_EXIT);
    EXPECT_EQ(nullptr, wnd->m_hWnd);
    EXPECT_EQ(nullptr, app.m_pMainWnd); // the message loop ends
    std::vector<RecordedCall> calls = CallsNamed("NotifyIcon");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((UINT)NIM_DELETE, calls[1].flags);
    MSG m;
    EXPECT_TRUE(::PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, ClosingNormallyTouchesNoTrayIcon)
{
    SkipSplash();
    wnd->SendMessage(WM_CLOSE);
    EXPECT_EQ(nullptr, wnd->m_hWnd);
    EXPECT_TRUE(CallsNamed("NotifyIcon").empty());
}

// Ends the tray menu from inside its own loop, once it shows, recording its items.
struct TrayMenuProbe {
    static TrayMenuProbe* s_current;
    std::vector<std::string> texts;
    int ticks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        TrayMenuProbe* p = s_current;
        HWND popup = ::FindWindowA("#32768", nullptr);
        if (popup && ::IsWindowVisible(popup)) {
            HMENU m = (HMENU)::SendMessageA(popup, MN_GETHMENU, 0, 0);
            if (m)
                p->texts = MenuTexts(m);
            ::EndMenu();
        } else if (++p->ticks > 200) {
            ::EndMenu();
        }
    }
};
TrayMenuProbe* TrayMenuProbe::s_current = nullptr;

TEST_F(MainWindowTest, RightClickOnTheIconShowsTheTrayMenu)
{
    SkipSplash();
    wnd->SendMessage(WM_COMMAND, ID_TRAY_MINIMIZE);
    TrayMenuProbe probe;
    TrayMenuProbe::s_current = &probe;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &TrayMenuProbe::Tick);
    wnd->SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_RBUTTONUP);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ((std::vector<std::string>{"Восстановить", "Закрыть", "-", "Сайт компании Quorvane", "О программе"}),
              probe.texts);
    EXPECT_FALSE(wnd->IsWindowVisible()); // nothing chosen
}

TEST_F(MainWindowWithSettingsTest, SettingsDialogShowsStoresAndSavesEveryChange)
{
    SkipSplash();
    struct Seen {
        int restoreChoice = -2, scanChoice = -2, backupChoice = -2;
        std::string editor, zma, caption;
        bool enabledAfterPath = false, greyedWhenEmpty = false, enabledAgain = false;
        int backupAfterChoice = -100;
        std::string iniAfterEdit, iniAfterFolder;
        bool hasBigIcon = false;
        int comboCount = 0;
        std::string firstChoice, lastChoice;
    } seen;
    HMENU menu = wnd->GetMenu();
    DWORD uiThread = ::GetCurrentThreadId();
    auto driver = StartWorker([&] {
        UseDesktopOfThread(uiThread);
        HWND dlg = WaitForWindow("Zelmora: Настройки");
        if (!dlg)
            return;
        seen.hasBigIcon = ::SendMessageA(dlg, WM_GETICON, ICON_BIG, 0) != 0;
        seen.restoreChoice = (int)::SendDlgItemMessageA(dlg, IDC_RESTORE_PRIORITY, CB_GETCURSEL, 0, 0);
        seen.scanChoice = (int)::SendDlgItemMessageA(dlg, IDC_SCAN_PRIORITY, CB_GETCURSEL, 0, 0);
        seen.backupChoice = (int)::SendDlgItemMessageA(dlg, IDC_BACKUP_PRIORITY, CB_GETCURSEL, 0, 0);
        seen.comboCount = (int)::SendDlgItemMessageA(dlg, IDC_COMPARE_PRIORITY, CB_GETCOUNT, 0, 0);
        char text[MAX_PATH];
        ::SendDlgItemMessageA(dlg, IDC_COMPARE_PRIORITY, CB_GETLBTEXT, 0, (LPARAM)text);
        seen.firstChoice = text;
        ::SendDlgItemMessageA(dlg, IDC_COMPARE_PRIORITY, CB_GETLBTEXT, 6, (LPARAM)text);
        seen.lastChoice = text;
        ::GetDlgItemTextA(dlg, IDC_EDITOR_PATH, text, sizeof(text));
        seen.editor = text;
        ::GetDlgItemTextA(dlg, IDC_ZMA_FOLDER, text, sizeof(text));
        seen.zma = text;

        ::SetDlgItemTextA(dlg, IDC_EDITOR_PATH, "");
        seen.greyedWhenEmpty = (::GetMenuState(menu, ID_APP_SETTINGSEDITOR, MF_BYCOMMAND) & MF_GRAYED) != 0;
        ::SetDlgItemTextA(dlg, IDC_EDITOR_PATH, "D:\\Редактор\\regedit.exe");
        seen.enabledAfterPath = !(::GetMenuState(menu, ID_APP_SETTINGSEDITOR, MF_BYCOMMAND) & MF_GRAYED);
        seen.iniAfterEdit = ReadText(ini);

        HWND combo = ::GetDlgItem(dlg, IDC_BACKUP_PRIORITY);
        ::SendMessageA(combo, CB_SETCURSEL, 5, 0);
        ::SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_BACKUP_PRIORITY, CBN_SELCHANGE), (LPARAM)combo);
        seen.backupAfterChoice = settings.BackupThreadPriority;

        ::SetDlgItemTextA(dlg, IDC_LOG_FOLDER, "E:\\Журналы");
        seen.iniAfterFolder = ReadText(ini);
        // Enter does not close it; the close box does.
        ::SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        seen.enabledAgain = ::IsWindow(dlg) != FALSE;
        ::PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    // Should the driver fail, the dialog is ended from its own loop after a while.
    UINT_PTR guard = GuardModal(wnd->m_hWnd, 15000);
    wnd->SendMessage(WM_COMMAND, ID_OPTIONS_SETTINGS); // runs until the driver closes it
    ::KillTimer(nullptr, guard);
    driver->Join();

    EXPECT_TRUE(seen.hasBigIcon);
    EXPECT_EQ(0, seen.restoreChoice); // 7 is no offered value
    EXPECT_EQ(7, settings.RestoreThreadPriority); // and stays stored as it is
    EXPECT_EQ(5, seen.scanChoice);    // 2 = "Высокий"
    EXPECT_EQ(3, seen.backupChoice);  // 0 = "Нормальный"
    EXPECT_EQ(7, seen.comboCount);
    EXPECT_EQ("Простаивающий", seen.firstChoice);
    EXPECT_EQ("Полный", seen.lastChoice);
    EXPECT_EQ("C:\\tools\\editor.exe", seen.editor);
    EXPECT_EQ("Archives", seen.zma);
    EXPECT_TRUE(seen.greyedWhenEmpty);
    EXPECT_TRUE(seen.enabledAfterPath);
    EXPECT_NE(std::string::npos, seen.iniAfterEdit.find("WinSErPath=D:\\Редактор\\regedit.exe"));
    EXPECT_EQ(2, seen.backupAfterChoice);
    EXPECT_NE(std::string::npos, seen.iniAfterFolder.find("BackupThreadPriority=2"));
    EXPECT_NE(std::string::npos, seen.iniAfterFolder.find("LOGFolder=E:\\Журналы"));
    EXPECT_TRUE(seen.enabledAgain);
    EXPECT_STREQ("D:\\Редактор\\regedit.exe", settings.WinSErPath);
    EXPECT_STREQ("E:\\Журналы", settings.LOGFolder);
    EXPECT_TRUE(wnd->IsWindowVisible());
}

// The "..." buttons: the program chooser and the folder browser put their
// choice into the edit, which stores and saves it.
TEST_F(MainWindowTest, SettingsDialogBrowseButtons)
{
    SkipSplash();
    CScratchDir folders;
    std::string chosenFolder = folders / "Архивы";
    ::CreateDirectoryA(chosenFolder.c_str(), nullptr);
    lstrcpyA(settings.ZMAFolder, chosenFolder.c_str());
    std::string program = folders / "my editor.exe";
    WriteFileBytes(program, Bytes{'M', 'Z'});
    struct {
        std::string editor, folder, fileDialogCaption;
        bool folderBrowserShown = false;
    } seen;
    DWORD uiThread = ::GetCurrentThreadId();
    auto driver = StartWorker([&] {
        UseDesktopOfThread(uiThread);
        HWND dlg = WaitForWindow("Zelmora: Настройки");
        if (!dlg)
            return;
        auto popupOf = [&](HWND owner) {
            HWND found = nullptr;
            for (int i = 0; i < 500 && !found; ++i) {
                found = OwnedPopup(owner);
                if (!found)
                    ::Sleep(10);
            }
            return found;
        };
        ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_BROWSE, BN_CLICKED),
                       (LPARAM)::GetDlgItem(dlg, IDC_EDITOR_BROWSE));
        HWND files = popupOf(dlg);
        if (files) {
            char text[128] = "";
            ::GetWindowTextA(files, text, sizeof(text));
            seen.fileDialogCaption = text;
            HWND name = ::GetDlgItem(files, 0x47c);
            if (!name)
                name = ::GetDlgItem(files, 0x480);
            ::SetWindowTextA(name, program.c_str());
            ::PostMessageA(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            for (int i = 0; i < 300 && ::IsWindow(files); ++i)
                ::Sleep(10);
            if (::IsWindow(files))
                ::PostMessageA(files, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        for (int i = 0; i < 300 && OwnedPopup(dlg); ++i)
            ::Sleep(10);
        char text[MAX_PATH];
        ::GetDlgItemTextA(dlg, IDC_EDITOR_PATH, text, sizeof(text));
        seen.editor = text;

        ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_ZMA_BROWSE, BN_CLICKED),
                       (LPARAM)::GetDlgItem(dlg, IDC_ZMA_BROWSE));
        HWND browser = popupOf(dlg);
        seen.folderBrowserShown = browser != nullptr;
        if (browser) {
            ::Sleep(200); // the browser selects the starting folder once it is up
            ::PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            for (int i = 0; i < 300 && ::IsWindow(browser); ++i)
                ::Sleep(10);
            if (::IsWindow(browser))
                ::PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        ::GetDlgItemTextA(dlg, IDC_ZMA_FOLDER, text, sizeof(text));
        seen.folder = text;
        ::PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    UINT_PTR guard = GuardModal(wnd->m_hWnd, 20000);
    wnd->SendMessage(WM_COMMAND, ID_OPTIONS_SETTINGS);
    ::KillTimer(nullptr, guard);
    driver->Join();

    EXPECT_EQ("Редактор настроек Windows", seen.fileDialogCaption);
    EXPECT_EQ(0, lstrcmpiA(program.c_str(), seen.editor.c_str())) << seen.editor;
    EXPECT_EQ(0, lstrcmpiA(program.c_str(), settings.WinSErPath));
    EXPECT_FALSE(MenuState(ID_APP_SETTINGSEDITOR) & MF_GRAYED);
    EXPECT_TRUE(seen.folderBrowserShown);
    // Confirming the browser at once gives back the folder it started at.
    EXPECT_EQ(0, lstrcmpiA(chosenFolder.c_str(), seen.folder.c_str())) << seen.folder;
    EXPECT_NE(std::string::npos, ReadText(ini).find("WinSErPath="));
}

} // namespace

// The four buttons and the four commands each show their wizard modally over
// the main window, starting at its welcome page.
TEST_F(MainWindowTest, ButtonsAndCommandsOpenTheirWizards)
{
    SkipSplash();
    struct Case {
        UINT button, command;
        const char* caption;
        bool closeAllBox;
    };
    const Case cases[] = {
        {IDC_ARCHIVE, ID_FILE_NEWARCHIVE, "Zelmora: Архивирование", true},
        {IDC_RESTORE, ID_FILE_OPENARCHIVE, "Zelmora: Восстановление", true},
        {IDC_SCAN, ID_ACTION_SCAN, "Zelmora: Сканирование", true},
        {IDC_COMPARE, ID_ACTION_COMPARE, "Zelmora: Сравнение", false},
    };
    DWORD uiThread = ::GetCurrentThreadId();
    for (const Case& c : cases) {
        for (int byCommand = 0; byCommand < 2; byCommand++) {
            SCOPED_TRACE(std::string(c.caption) + (byCommand ? " by command" : " by button"));
            bool found = false, owned = false, box = false;
            auto driver = StartWorker([&] {
                UseDesktopOfThread(uiThread);
                HWND sheet = WaitForWindow(c.caption);
                if (!sheet)
                    return;
                found = true;
                owned = ::GetWindow(sheet, GW_OWNER) == wnd->m_hWnd;
                HWND page = (HWND)::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
                box = ::GetDlgItem(page, IDC_CLOSE_ALL) != nullptr;
                ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                ::PostMessageA(sheet, WM_NULL, 0, 0);
            });
            if (byCommand)
                ::SendMessageA(wnd->m_hWnd, WM_COMMAND, MAKEWPARAM(c.command, 0), 0);
            else
                ::SendMessageA(::GetDlgItem(Dialog(), c.button), BM_CLICK, 0, 0);
            driver->Join();
            EXPECT_TRUE(found);
            EXPECT_TRUE(owned);
            EXPECT_EQ(box, c.closeAllBox);
        }
    }
    EXPECT_TRUE(wnd->IsWindowVisible());
}
