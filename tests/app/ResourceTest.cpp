#include "framework/Dialog.h"
#include "framework/PropertySheet.h"
#include "framework/WinApp.h"
#include "framework/WorkerThread.h"
#include "res/resource.h"
#include "tests/app/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string ClassOf(HWND h)
{
    char name[64] = "";
    ::GetClassNameA(h, name, sizeof(name));
    return name;
}

std::string TextOf(HWND h)
{
    char text[256] = "";
    ::GetWindowTextA(h, text, sizeof(text));
    return text;
}

TEST(Resources, RestoreProgressLayout)
{
    CWinApp app;
    CDialog dlg(IDD_RESTORE_PROGRESS);
    ASSERT_TRUE(dlg.Create());
    HWND d = dlg.m_hWnd;
    EXPECT_EQ("Zelmora: Восстановление", TextOf(d));
    HWND list = ::GetDlgItem(d, IDC_MESSAGES);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ("SysListView32", ClassOf(list));
    LONG style = ::GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
    EXPECT_EQ("msctls_progress32", ClassOf(::GetDlgItem(d, IDC_PROGRESS)));
    EXPECT_EQ("Static", ClassOf(::GetDlgItem(d, IDC_RESTORE_CURRENT)));
    EXPECT_EQ(SS_CENTER, ::GetWindowLongA(::GetDlgItem(d, IDC_PERCENT), GWL_STYLE) & SS_TYPEMASK);
    // The left picture and the label above the current item.
    bool picture = false, label = false;
    for (HWND c = ::GetWindow(d, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if ((::GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && ClassOf(c) == "Static")
            picture = ::SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        if (TextOf(c) == "Сейчас восстанавливается:")
            label = true;
    }
    EXPECT_TRUE(picture);
    EXPECT_TRUE(label);
    dlg.DestroyWindow();
}

TEST(Resources, SettingsDialogControls)
{
    CWinApp app;
    CDialog dlg(IDD_SETTINGS);
    ASSERT_TRUE(dlg.Create());
    HWND d = dlg.m_hWnd;
    EXPECT_EQ("Zelmora: Настройки", TextOf(d));
    for (int id : {IDC_BACKUP_PRIORITY, IDC_RESTORE_PRIORITY, IDC_SCAN_PRIORITY, IDC_COMPARE_PRIORITY}) {
        HWND c = ::GetDlgItem(d, id);
        ASSERT_NE(nullptr, c) << id;
        EXPECT_EQ(CBS_DROPDOWNLIST, ::GetWindowLongA(c, GWL_STYLE) & 3) << id;
    }
    for (int id : {IDC_EDITOR_PATH, IDC_ZMA_FOLDER, IDC_ZMR_FOLDER, IDC_LOG_FOLDER})
        EXPECT_EQ("Edit", ClassOf(::GetDlgItem(d, id))) << id;
    for (int id : {IDC_EDITOR_BROWSE, IDC_ZMA_BROWSE, IDC_ZMR_BROWSE, IDC_LOG_BROWSE})
        EXPECT_EQ("...", TextOf(::GetDlgItem(d, id))) << id;
    // No OK or Cancel button: changes are saved as they are made.
    EXPECT_EQ(nullptr, ::GetDlgItem(d, IDOK));
    EXPECT_EQ(nullptr, ::GetDlgItem(d, IDCANCEL));
    std::vector<std::string> texts;
    for (HWND c = ::GetWindow(d, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        texts.push_back(TextOf(c));
    for (const char* t : {" Приорететы ", "При архивировании", "При восстановлении", "При сканировании",
                          "При сравнении", " Пути ", "Редактор настроек", " Каталоги ", "Для архивов",
                          "Для отчетов", "Для log-файлов"})
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), t)) << t;
    dlg.DestroyWindow();
}

TEST(Resources, MainDialogTemplate)
{
    CWinApp app;
    CDialog dlg(IDD_MAIN);
    HWND parent = ::CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CWnd owner(parent);
    ASSERT_TRUE(dlg.Create(IDD_MAIN, &owner));
    HWND d = dlg.m_hWnd;
    EXPECT_TRUE(::GetWindowLongA(d, GWL_STYLE) & WS_CHILD);
    RECT r = {0, 0, 280, 225}, px;
    ::MapDialogRect(d, &r);
    ::GetClientRect(d, &px);
    EXPECT_EQ(r.right, px.right);
    EXPECT_EQ(r.bottom, px.bottom);
    const char* texts[] = {
        "  Сохранение любых файлов и каталогов, а также разделов и переменных системного реестра.",
        "  Восстановление файлов, каталогов или реестра из созданного ранее архива.",
        "  Сканирование любых каталогов, разделов реестра и системных файлов.",
        "  Сравнение произведенных ранее сканирований с целью выявления внесенных изменений."};
    const int buttons[] = {IDC_ARCHIVE, IDC_RESTORE, IDC_SCAN, IDC_COMPARE};
    for (int i = 0; i < 4; ++i) {
        HWND b = ::GetDlgItem(d, buttons[i]);
        ASSERT_NE(nullptr, b);
        RECT br = {0, 0, 70, 50}, bp;
        ::MapDialogRect(d, &br);
        ::GetWindowRect(b, &bp);
        EXPECT_EQ(br.right, bp.right - bp.left);
        EXPECT_EQ(br.bottom, bp.bottom - bp.top);
        // The text beside the button is the next control.
        HWND t = ::GetWindow(b, GW_HWNDNEXT);
        EXPECT_EQ(texts[i], TextOf(t));
        RECT tp;
        ::GetWindowRect(t, &tp);
        EXPECT_GT(tp.left, bp.right - 1);
        EXPECT_EQ(bp.top, tp.top);
    }
    // The etched line along the top.
    HWND first = ::GetWindow(d, GW_CHILD);
    EXPECT_EQ(SS_ETCHEDHORZ, ::GetWindowLongA(first, GWL_STYLE) & SS_TYPEMASK);
    dlg.DestroyWindow();
    ::DestroyWindow(parent);
}

// The restore progress layout serves as a wizard page as well.
TEST(Resources, RestoreProgressLayoutAsAWizardPage)
{
    CWinApp app;
    CPropertyPage page(IDD_RESTORE_PROGRESS);
    CPropertySheet sheet("");
    sheet.SetWizardMode();
    sheet.AddPage(&page);
    bool child = false, listThere = false;
    DWORD ui = ::GetCurrentThreadId();
    auto driver = StartWorker([&] {
        UseDesktopOfThread(ui);
        HWND s = WaitForWindow("Zelmora: Восстановление");
        if (!s)
            return;
        HWND p = (HWND)::SendMessageA(s, PSM_GETCURRENTPAGEHWND, 0, 0);
        child = p && (::GetWindowLongA(p, GWL_STYLE) & WS_CHILD) && !(::GetWindowLongA(p, GWL_STYLE) & WS_CAPTION);
        listThere = ::GetDlgItem(p, IDC_MESSAGES) != nullptr;
        ::PostMessageA(s, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_TRUE(child);
    EXPECT_TRUE(listThere);
}

} // namespace
