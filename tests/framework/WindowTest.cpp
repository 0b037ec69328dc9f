#include "framework/Button.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "framework/FileDialog.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "framework/ProgressCtrl.h"
#include "framework/PropertySheet.h"
#include "framework/Static.h"
#include "framework/TreeCtrl.h"
#include "framework/WinApp.h"
#include "framework/WindowImpl.h"
#include "framework/WorkerThread.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

bool WaitFor(const std::function<bool()>& done, DWORD ms = 5000)
{
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms)
            return false;
        ::Sleep(5);
    }
    return true;
}

void PumpPending()
{
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT)
            continue;
        if (AfxGetApp() && AfxGetApp()->PreTranslateMessage(&m))
            continue;
        ::TranslateMessage(&m);
        ::DispatchMessageA(&m);
    }
}

std::string Caption(HWND h)
{
    char text[128] = "";
    ::GetWindowTextA(h, text, sizeof(text));
    return text;
}

// A driver thread works a modal window of the test's thread from outside.
std::unique_ptr<CWorkerThread> Driver(std::function<void()> work)
{
    DWORD ui = ::GetCurrentThreadId();
    return StartWorker([ui, work] {
        ::SetThreadDesktop(::GetThreadDesktop(ui));
        work();
    });
}

HWND FindOwnWindow(const char* caption, DWORD ms = 20000)
{
    HWND found = nullptr;
    WaitFor([&] {
        found = ::FindWindowA(nullptr, caption);
        return found && ::IsWindowVisible(found);
    }, ms);
    return found;
}

// Should a driver fail, the modal windows of the test's thread are cancelled
// after a while, so that no modal loop is left running.
BOOL CALLBACK CancelDialog(HWND h, LPARAM)
{
    char cls[16] = "";
    ::GetClassNameA(h, cls, sizeof(cls));
    if (lstrcmpA(cls, "#32770") == 0 && ::IsWindowVisible(h))
        ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}
void CALLBACK CancelModalWindows(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &CancelDialog, 0);
}
struct ModalGuard {
    UINT_PTR timer = ::SetTimer(nullptr, 0, 30000, &CancelModalWindows);
    ~ModalGuard() { ::KillTimer(nullptr, timer); }
};

class CProbeWnd : public CWindowImpl {
public:
    std::vector<std::string> log;
    UINT lastId = 0, lastCode = 0;
    bool* deleted = nullptr;

protected:
    int OnCreate(CREATESTRUCTA* cs) override
    {
        log.push_back(std::string("create:") + cs->lpszName);
        return CWindowImpl::OnCreate(cs);
    }
    void OnCommand(UINT id, UINT code, HWND) override
    {
        lastId = id;
        lastCode = code;
        log.push_back("command");
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_APP + 5)
            return (LRESULT)(wParam + lParam);
        return Default();
    }
    void OnDestroy() override
    {
        log.push_back("destroy");
        Default();
    }
    void PostNcDestroy() override
    {
        log.push_back("gone");
        if (deleted)
            *deleted = true;
    }
};

TEST(WindowImpl, HandlersReceiveTheirMessagesAndDefaultDoesTheRest)
{
    CWinApp app;
    ASSERT_TRUE(CWindowImpl::RegisterWindowClass("ZmProbe"));
    CProbeWnd w;
    ASSERT_TRUE(w.CreateEx(0, "ZmProbe", "проба", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_EQ(&w, CWindowImpl::FromHandle(w.m_hWnd));
    ASSERT_FALSE(w.log.empty());
    EXPECT_EQ("create:проба", w.log[0]);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(40001, 3), 0);
    EXPECT_EQ(40001u, w.lastId);
    EXPECT_EQ(3u, w.lastCode);
    EXPECT_EQ(12, (int)w.SendMessage(WM_APP + 5, 5, 7));
    // Unhandled messages reach the default procedure.
    w.SetWindowText("другой");
    EXPECT_EQ("другой", Caption(w.m_hWnd));

    app.m_pMainWnd = &w;
    HWND h = w.m_hWnd;
    w.DestroyWindow();
    EXPECT_EQ(nullptr, w.m_hWnd);
    EXPECT_EQ(nullptr, CWindowImpl::FromHandle(h));
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ("destroy", w.log[w.log.size() - 2]);
    EXPECT_EQ("gone", w.log.back());
    MSG m;
    EXPECT_TRUE(::PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)); // the loop would end
    EXPECT_EQ(0, app.Run()); // no main window: returns at once
}

TEST(WindowImpl, HeapObjectDeletesItselfAfterItsWindow)
{
    CWinApp app;
    CWindowImpl::RegisterWindowClass("ZmProbe");
    struct CSelfDeleting : CProbeWnd {
        void PostNcDestroy() override
        {
            CProbeWnd::PostNcDestroy();
            delete this;
        }
    };
    bool deleted = false;
    CSelfDeleting* w = new CSelfDeleting;
    w->deleted = &deleted;
    ASSERT_TRUE(w->CreateEx(0, "ZmProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ::DestroyWindow(w->m_hWnd);
    EXPECT_TRUE(deleted);
}

// A control taken over after it was made: it drops the digit 5 typed into it.
class CNoFiveEdit : public CWindowImpl {
public:
    int seen = 0;
    bool gone = false;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CHAR) {
            ++seen;
            if (wParam == '5')
                return 0;
        }
        return Default();
    }
    void PostNcDestroy() override { gone = true; }
};

// Asks the dialog, on its own thread, to send itself a notification and read
// back the message result it left (so that no later message can overwrite the
// value between the two).
const UINT WM_PROBE_NOTIFY_RESULT = WM_APP + 40;

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(100) {}
    std::vector<std::string> log;
    LRESULT notifyResult = 0;
    LRESULT probedResult = 0;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != WM_PROBE_NOTIFY_RESULT)
            return CDialog::OnMessage(msg, wParam, lParam);
        NMHDR nm = {m_hWnd, 0, (UINT)-1234};
        ::SendMessageA(m_hWnd, WM_NOTIFY, 0, (LPARAM)&nm);
        probedResult = ::GetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT);
        return 0;
    }
    BOOL OnInitDialog() override
    {
        log.push_back("init");
        SetDlgItemText(10, "начало");
        CComboBox combo(::GetDlgItem(m_hWnd, 11));
        combo.AddString("один");
        combo.AddString("два");
        combo.SetCurSel(1);
        return TRUE;
    }
    void OnCommand(UINT id, UINT code, HWND hCtl) override
    {
        if (id == 10 && code == EN_CHANGE)
            log.push_back("change");
        CDialog::OnCommand(id, code, hCtl);
    }
    LRESULT OnNotify(int idCtrl, NMHDR* pnmh) override
    {
        if (pnmh->code == (UINT)-1234)
            return notifyResult;
        return CDialog::OnNotify(idCtrl, pnmh);
    }
    void OnOK() override
    {
        log.push_back("ok");
        CDialog::OnOK();
    }
};

TEST(Dialog, ModalRunsUntilOkAndGivesItsResult)
{
    ModalGuard guard;
    CWinApp app;
    CTestDialog dlg;
    dlg.notifyResult = 4321;
    LRESULT seenResult = 0;
    LRESULT seenReturn = 0;
    std::string seenText;
    int seenCombo = -1;
    auto driver = Driver([&] {
        HWND d = FindOwnWindow("Проверка диалога");
        if (!d)
            return;
        char text[64];
        ::GetDlgItemTextA(d, 10, text, sizeof(text));
        seenText = text;
        seenCombo = (int)::SendDlgItemMessageA(d, 11, CB_GETCURSEL, 0, 0);
        NMHDR nm = {d, 0, (UINT)-1234};
        seenReturn = ::SendMessageA(d, WM_NOTIFY, 0, (LPARAM)&nm);
        ::SendMessageA(d, WM_PROBE_NOTIFY_RESULT, 0, 0);
        seenResult = dlg.probedResult;
        ::SetDlgItemTextA(d, 10, "дальше");
        ::SendMessageA(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    });
    INT_PTR r = dlg.DoModal();
    driver->Join();
    EXPECT_EQ(IDOK, r);
    EXPECT_EQ("начало", seenText);
    EXPECT_EQ(1, seenCombo);
    EXPECT_EQ(4321, seenReturn); // the dialog manager hands back DWLP_MSGRESULT
    EXPECT_EQ(4321, seenResult);
    EXPECT_EQ((std::vector<std::string>{"init", "change", "change", "ok"}), dlg.log);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(Dialog, EscapeCancelsAModalDialog)
{
    ModalGuard guard;
    CWinApp app;
    CTestDialog dlg;
    auto driver = Driver([&] {
        HWND d = FindOwnWindow("Проверка диалога");
        if (d)
            ::SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    driver->Join();
}

TEST(Dialog, ModelessGetsKeyboardHandlingFromTheMessageLoop)
{
    CWinApp app;
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ShowWindow(SW_SHOW);
    HWND edit = ::GetDlgItem(dlg.m_hWnd, 10);
    ::SetFocus(edit);
    // Tab goes to the next control only through IsDialogMessage.
    ::PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    PumpPending();
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, 11), ::GetFocus());
    // Escape cancels, which ends a modeless dialog's window.
    ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpPending();
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(Controls, WrappersDriveTheRealControls)
{
    CWinApp app;
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HWND d = dlg.m_hWnd;

    CEdit edit(::GetDlgItem(d, 10));
    edit.SetLimitText(5);
    edit.SetWindowText("");
    edit.ReplaceSel("123456789");
    char text[32];
    edit.GetWindowText(text, sizeof(text));
    EXPECT_STREQ("12345", text);

    CComboBox combo(::GetDlgItem(d, 11));
    EXPECT_EQ(2, combo.GetCount());
    EXPECT_EQ(2, combo.AddString("три"));
    combo.GetLBText(2, text);
    EXPECT_STREQ("три", text);
    EXPECT_EQ(2, combo.FindStringExact(-1, "три"));
    combo.ResetContent();
    EXPECT_EQ(0, combo.GetCount());
    EXPECT_EQ(CB_ERR, combo.GetCurSel());

    CButton check(::GetDlgItem(d, 12));
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    check.Click();
    EXPECT_EQ(BST_CHECKED, check.GetCheck());
    check.SetCheck(BST_UNCHECKED);
    EXPECT_EQ((UINT)BST_UNCHECKED, dlg.IsDlgButtonChecked(12));

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 2, 2));
    HDC screen = ::GetDC(nullptr);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 16, 16);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(0, images.Add(bmp, RGB(255, 255, 255)));
    EXPECT_EQ(1, images.Add(bmp, RGB(255, 255, 255)));
    EXPECT_EQ(2, images.GetImageCount());
    HICON icon = images.ExtractIcon(1);
    EXPECT_NE(nullptr, icon);
    ::DestroyIcon(icon);

    CListCtrl list(::GetDlgItem(d, 13));
    list.InsertColumn(0, "", 100);
    list.SetImageList(images, LVSIL_SMALL);
    EXPECT_EQ(0, list.AddLine("первая"));
    EXPECT_EQ(1, list.AddLine("вторая", 1));
    list.GetItemText(1, 0, text, sizeof(text));
    EXPECT_STREQ("вторая", text);
    EXPECT_EQ(1, list.GetItemImage(1));
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(1, list.GetItemCount());

    CTreeCtrl tree(::GetDlgItem(d, 14));
    HTREEITEM root = tree.InsertItemWithChildren("C:\\", -1, -1, TVI_ROOT, TVI_LAST, 7);
    HTREEITEM child = tree.InsertItem("Windows", -1, -1, root, TVI_LAST, 8);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(root, tree.GetRootItem());
    EXPECT_EQ(child, tree.GetChildItem(root));
    EXPECT_EQ(root, tree.GetParentItem(child));
    EXPECT_EQ(nullptr, tree.GetNextSiblingItem(child));
    EXPECT_EQ(8, (int)tree.GetItemData(child));
    tree.GetItemText(child, text, sizeof(text));
    EXPECT_STREQ("Windows", text);
    EXPECT_FALSE(tree.GetCheck(child));
    tree.SetCheck(child, TRUE);
    EXPECT_TRUE(tree.GetCheck(child));
    EXPECT_EQ(2, tree.GetCount());
    tree.DeleteAllItems();
    EXPECT_EQ(0, tree.GetCount());

    CProgressCtrl progress(::GetDlgItem(d, 15));
    progress.SetRange(0, 10);
    progress.SetPos(7);
    EXPECT_EQ(7, progress.GetPos());

    CStatic picture(::GetDlgItem(d, 16));
    picture.SetBitmap(bmp);
    EXPECT_NE(nullptr, picture.GetBitmap());
    ::DeleteObject(bmp);
    dlg.DestroyWindow();
}

TEST(WindowImpl, SubclassedControlSeesMessagesFirstAndGetsItsProcedureBack)
{
    CWinApp app;
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HWND editWnd = ::GetDlgItem(dlg.m_hWnd, 10);
    WNDPROC original = (WNDPROC)::GetWindowLongPtrA(editWnd, GWLP_WNDPROC);
    CNoFiveEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(10, dlg.m_hWnd));
    EXPECT_EQ(&edit, CWindowImpl::FromHandle(editWnd));
    ::SetWindowTextA(editWnd, "");
    for (char c : std::string("1526"))
        ::SendMessageA(editWnd, WM_CHAR, (WPARAM)c, 1);
    EXPECT_EQ("126", Caption(editWnd));
    EXPECT_EQ(4, edit.seen);
    // Given back on request ...
    EXPECT_EQ(editWnd, edit.UnsubclassWindow());
    EXPECT_EQ(original, (WNDPROC)::GetWindowLongPtrA(editWnd, GWLP_WNDPROC));
    ::SendMessageA(editWnd, WM_CHAR, '5', 1);
    EXPECT_EQ("1265", Caption(editWnd));
    // ... and when the window goes.
    CNoFiveEdit again;
    ASSERT_TRUE(again.SubclassWindow(editWnd));
    EXPECT_FALSE(CNoFiveEdit().SubclassWindow(editWnd)); // one object per window
    dlg.DestroyWindow();
    EXPECT_TRUE(again.gone);
    EXPECT_EQ(nullptr, again.m_hWnd);
}

TEST(FileDialog, FilterAndFlags)
{
    CFileDialog open(TRUE, "zma", "C:\\x.zma", OFN_HIDEREADONLY, "ZM-архивы|*.zma|Все файлы|*.*||");
    const char* f = open.m_ofn.lpstrFilter;
    ASSERT_NE(nullptr, f);
    EXPECT_STREQ("ZM-архивы", f);
    f += std::strlen(f) + 1;
    EXPECT_STREQ("*.zma", f);
    f += std::strlen(f) + 1;
    EXPECT_STREQ("Все файлы", f);
    f += std::strlen(f) + 1;
    EXPECT_STREQ("*.*", f);
    f += std::strlen(f) + 1;
    EXPECT_EQ(0, *f);
    EXPECT_STREQ("C:\\x.zma", open.GetPathName());
    EXPECT_STREQ("zma", open.m_ofn.lpstrDefExt);
    EXPECT_TRUE(open.m_ofn.Flags & OFN_HIDEREADONLY);
    EXPECT_FALSE(open.m_ofn.Flags & OFN_OVERWRITEPROMPT);
    open.SetTitle("Выбор архива");
    EXPECT_STREQ("Выбор архива", open.m_ofn.lpstrTitle);
}

TEST(FileDialog, OpenDialogReturnsTheChosenPath)
{
    ModalGuard guard;
    CWinApp app;
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    std::string target = std::string(dir) + "zm file dialog.exe";
    HANDLE h = ::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(h);
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "Программы|*.exe|Все файлы|*.*||");
    dlg.SetTitle("Выбор программы");
    auto driver = Driver([&] {
        HWND d = FindOwnWindow("Выбор программы");
        if (!d)
            return;
        // The file-name box of the Explorer-style dialog.
        HWND name = ::GetDlgItem(d, 0x47c); // cmb13
        if (!name)
            name = ::GetDlgItem(d, 0x480); // edt1
        ::SetWindowTextA(name, target.c_str());
        ::PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (!WaitFor([&] { return !::IsWindow(d); }, 3000))
            ::PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    INT_PTR r = dlg.DoModal();
    driver->Join();
    EXPECT_EQ(IDOK, r);
    EXPECT_EQ(0, lstrcmpiA(target.c_str(), dlg.GetPathName())) << dlg.GetPathName();
    ::DeleteFileA(target.c_str());
}

class CTestPage : public CPropertyPage {
public:
    CTestPage(UINT id, std::vector<std::string>* log, DWORD buttons)
        : CPropertyPage(id), m_log(log), m_buttons(buttons)
    {
    }
    std::function<void()> onNext;

protected:
    std::string Name(const char* what) const { return std::string(what) + ":" + std::to_string(m_nIDTemplate); }
    BOOL OnInitDialog() override
    {
        m_log->push_back(Name("init"));
        return TRUE;
    }
    BOOL OnSetActive() override
    {
        m_log->push_back(Name("active"));
        SetWizardButtons(m_buttons);
        return TRUE;
    }
    LRESULT OnWizardNext() override
    {
        m_log->push_back(Name("next"));
        if (onNext)
            onNext();
        return 0;
    }
    BOOL OnWizardFinish() override
    {
        m_log->push_back(Name("finish"));
        return TRUE;
    }
    void OnCancel() override { m_log->push_back(Name("cancel")); }

    std::vector<std::string>* m_log;
    DWORD m_buttons;
};


TEST(WizardSheet, WizardWithPagesAddedAndRemovedWhileRunning)
{
    ModalGuard guard;
    CWinApp app;
    std::vector<std::string> log;
    CTestPage first(101, &log, PSWIZB_NEXT), second(102, &log, PSWIZB_BACK | PSWIZB_NEXT),
        third(103, &log, PSWIZB_BACK | PSWIZB_FINISH);
    CPropertySheet sheet("");
    sheet.SetWizardMode();
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    first.onNext = [&] { sheet.AddPage(&third); };
    struct {
        bool backDisabledOnFirst = false, nextEnabledOnFirst = false;
        std::string captionSecond, captionThird, captionAfterRemove;
        int countWhileRunning = 0, activeIndex = -1;
    } seen;
    auto driver = Driver([&] {
        HWND s = FindOwnWindow("Мастер: первая");
        if (!s)
            return;
        WaitFor([&] { return !::IsWindowEnabled(::GetDlgItem(s, 0x3023)); }, 2000);
        seen.backDisabledOnFirst = !::IsWindowEnabled(::GetDlgItem(s, 0x3023));
        seen.nextEnabledOnFirst = ::IsWindowEnabled(::GetDlgItem(s, 0x3024)) != FALSE;
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        WaitFor([&] { return Caption(s) == "Мастер: вторая"; }, 2000);
        seen.captionSecond = Caption(s);
        seen.countWhileRunning = sheet.GetPageCount();
        seen.activeIndex = sheet.GetActiveIndex();
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        WaitFor([&] { return Caption(s) == "Мастер: третья"; }, 2000);
        seen.captionThird = Caption(s);
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_BACK, 0);
        WaitFor([&] { return Caption(s) == "Мастер: вторая"; }, 2000);
        sheet.RemovePage(&third);
        seen.captionAfterRemove = Caption(s);
        ::SendMessageA(s, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        if (!WaitFor([&] { return !::IsWindow(s); }, 3000))
            ::PostMessageA(s, WM_COMMAND, IDCANCEL, 0);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_TRUE(seen.backDisabledOnFirst);
    EXPECT_TRUE(seen.nextEnabledOnFirst);
    EXPECT_EQ("Мастер: вторая", seen.captionSecond);
    EXPECT_EQ(3, seen.countWhileRunning);
    EXPECT_EQ(1, seen.activeIndex);
    EXPECT_EQ("Мастер: третья", seen.captionThird);
    EXPECT_EQ(2, sheet.GetPageCount());
    EXPECT_EQ(nullptr, sheet.m_hWnd);
    std::vector<std::string> expected = {"init:101", "active:101", "next:101", "init:102", "active:102",
                                         "next:102", "init:103", "active:103", "active:102", "finish:102"};
    EXPECT_EQ(expected, log);
    EXPECT_EQ(nullptr, first.m_hWnd);
}

TEST(WizardSheet, CancelReachesThePagesAndASecondRunStartsAfresh)
{
    ModalGuard guard;
    CWinApp app;
    std::vector<std::string> log;
    CTestPage first(101, &log, PSWIZB_NEXT), second(102, &log, PSWIZB_BACK);
    CPropertySheet sheet("");
    sheet.SetWizardMode();
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    for (int run = 0; run < 2; ++run) {
        auto driver = Driver([&] {
            HWND s = FindOwnWindow("Мастер: первая");
            if (s) {
                ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                // Wine's sheet loop sees that it has ended at its next message.
                ::PostMessageA(s, WM_NULL, 0, 0);
            }
        });
        sheet.DoModal();
        driver->Join();
    }
    std::vector<std::string> expected = {"init:101", "active:101", "cancel:101",
                                         "init:101", "active:101", "cancel:101"};
    EXPECT_EQ(expected, log);
}

// The number of pages a running sheet holds, as it tells them by index.
int SheetPageCount(HWND sheet)
{
    int n = 0;
    while (n < 100 && ::SendMessageA(sheet, PSM_INDEXTOPAGE, (WPARAM)n, 0))
        ++n;
    return n;
}

// A page the sheet cannot take (its template is missing) is not listed, so the
// list keeps the running sheet's indices.
TEST(WizardSheet, PageTheRunningSheetRefusesIsNotListed)
{
    ModalGuard guard;
    CWinApp app;
    std::vector<std::string> log;
    CTestPage first(101, &log, PSWIZB_NEXT), second(102, &log, PSWIZB_BACK | PSWIZB_NEXT),
        third(103, &log, PSWIZB_BACK | PSWIZB_FINISH), missing(199, &log, PSWIZB_NEXT);
    CPropertySheet sheet("");
    sheet.SetWizardMode();
    EXPECT_TRUE(sheet.AddPage(&first));
    EXPECT_TRUE(sheet.AddPage(&second));
    EXPECT_FALSE(sheet.AddPage(&second)); // listed already
    EXPECT_FALSE(sheet.AddPage(nullptr));
    BOOL addedMissing = TRUE, addedThird = FALSE;
    first.onNext = [&] {
        addedMissing = sheet.AddPage(&missing);
        addedThird = sheet.AddPage(&third);
    };
    struct {
        std::string captionThird, captionAfterRemove;
        int count = -1, countAfterRemove = -1, activeIndex = -1, sheetIndex = -1, sheetPages = -1;
        HWND pageAtActiveIndex = nullptr, thirdPage = nullptr;
    } seen;
    auto driver = Driver([&] {
        HWND s = FindOwnWindow("Мастер: первая");
        if (!s)
            return;
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        WaitFor([&] { return Caption(s) == "Мастер: вторая"; }, 2000);
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        WaitFor([&] { return Caption(s) == "Мастер: третья"; }, 2000);
        seen.captionThird = Caption(s);
        seen.count = sheet.GetPageCount();
        seen.activeIndex = sheet.GetActiveIndex();
        HWND current = (HWND)::SendMessageA(s, PSM_GETCURRENTPAGEHWND, 0, 0);
        seen.sheetIndex = (int)::SendMessageA(s, PSM_HWNDTOINDEX, (WPARAM)current, 0);
        seen.sheetPages = SheetPageCount(s);
        seen.pageAtActiveIndex = (HWND)::SendMessageA(s, PSM_INDEXTOHWND, (WPARAM)seen.activeIndex, 0);
        seen.thirdPage = third.m_hWnd;
        // Removing by the list's index removes the same page from the sheet.
        sheet.RemovePage(&third);
        WaitFor([&] { return Caption(s) == "Мастер: вторая"; }, 2000);
        seen.captionAfterRemove = Caption(s);
        seen.countAfterRemove = SheetPageCount(s);
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        // The sheet's loop looks whether it has ended only once it gets a message.
        ::PostMessageA(s, WM_NULL, 0, 0);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_FALSE(addedMissing);
    EXPECT_TRUE(addedThird);
    EXPECT_EQ("Мастер: третья", seen.captionThird);
    EXPECT_EQ(3, seen.count);
    EXPECT_EQ(3, seen.sheetPages);
    EXPECT_EQ(2, seen.sheetIndex);
    EXPECT_EQ(seen.sheetIndex, seen.activeIndex);
    ASSERT_NE(nullptr, seen.thirdPage);
    EXPECT_EQ(seen.thirdPage, seen.pageAtActiveIndex);
    EXPECT_EQ("Мастер: вторая", seen.captionAfterRemove);
    EXPECT_EQ(2, seen.countAfterRemove);
    EXPECT_EQ(2, sheet.GetPageCount());
    EXPECT_EQ(-1, sheet.GetPageIndex(&missing));
}

TEST(WindowImpl, FailedSubclassingLeavesTheObjectUnbound)
{
    CWinApp app;
    // The desktop window belongs to another process: its procedure cannot be replaced.
    HWND desktop = ::GetDesktopWindow();
    CNoFiveEdit object;
    EXPECT_FALSE(object.SubclassWindow(desktop));
    EXPECT_EQ(nullptr, object.m_hWnd);
    EXPECT_EQ(nullptr, CWindowImpl::FromHandle(desktop));
    // Unbound, the object can take over a window of its own afterwards.
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HWND editWnd = ::GetDlgItem(dlg.m_hWnd, 10);
    ASSERT_TRUE(object.SubclassWindow(editWnd));
    ::SetWindowTextA(editWnd, "");
    ::SendMessageA(editWnd, WM_CHAR, '5', 1);
    ::SendMessageA(editWnd, WM_CHAR, '6', 1);
    EXPECT_EQ("6", Caption(editWnd));
    dlg.DestroyWindow();
    EXPECT_TRUE(object.gone);
}

TEST(WinApp, QuitEndsTheLoopWithItsCode)
{
    CWinApp app;
    ::PostQuitMessage(7);
    int messages = 0;
    while (app.PumpMessage() && messages < 1000)
        ++messages;
    EXPECT_LT(messages, 1000);
    EXPECT_EQ(7, app.m_nExitCode);
}

// GetMessage answers -1 only when the thread's queue is broken, which a test
// cannot bring about; this application answers it on purpose, leaving in the
// message what a failed call leaves there: whatever was in memory.
class CBrokenQueueApp : public CWinApp {
public:
    int calls = 0;

protected:
    int GetNextMessage(MSG* msg) override
    {
        ++calls;
        msg->message = WM_QUIT;
        msg->wParam = 0x5A5A;
        return -1;
    }
};

TEST(WinApp, FailedGetMessageEndsTheLoopWithAnErrorCode)
{
    CBrokenQueueApp app;
    EXPECT_FALSE(app.PumpMessage());
    EXPECT_EQ((int)CWinApp::EXIT_MESSAGE_ERROR, app.m_nExitCode);
    EXPECT_NE(0, app.m_nExitCode);
    // Run ends too, with the error as the program's exit code.
    CWnd main(::GetDesktopWindow());
    app.m_pMainWnd = &main;
    app.m_nExitCode = 0;
    EXPECT_EQ((int)CWinApp::EXIT_MESSAGE_ERROR, app.Run());
    EXPECT_EQ(2, app.calls);
    app.m_pMainWnd = nullptr;
}

TEST(Dialog, OwnerIsTheParentElseTheMainWindow)
{
    ModalGuard guard;
    CWinApp app;
    ASSERT_TRUE(CWindowImpl::RegisterWindowClass("ZmProbe"));
    CProbeWnd main, other;
    ASSERT_TRUE(main.CreateEx(0, "ZmProbe", "главное", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(other.CreateEx(0, "ZmProbe", "другое", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    app.m_pMainWnd = &main;

    EXPECT_EQ(other.m_hWnd, AfxGetOwnerWindow(&other));
    CWnd windowless;
    EXPECT_EQ(main.m_hWnd, AfxGetOwnerWindow(&windowless));
    EXPECT_EQ(main.m_hWnd, AfxGetOwnerWindow(nullptr));
    EXPECT_EQ(nullptr, AfxGetOwnerWindow(nullptr, &main)); // never its own owner

    HWND ownerWithout = nullptr, ownerWith = nullptr;
    for (CWnd* parent : {(CWnd*)nullptr, (CWnd*)&other}) {
        CDialog dlg(100, parent);
        HWND* owner = parent ? &ownerWith : &ownerWithout;
        auto driver = Driver([&] {
            HWND d = FindOwnWindow("Проверка диалога");
            if (!d)
                return;
            *owner = ::GetWindow(d, GW_OWNER);
            ::PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        driver->Join();
    }
    EXPECT_EQ(main.m_hWnd, ownerWithout);
    EXPECT_EQ(other.m_hWnd, ownerWith);
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
    other.DestroyWindow();
}

// The state change of a list-view line, as its LVN_ITEMCHANGING and
// LVN_ITEMCHANGED report it: "<what>:<line>" when the line becomes selected.
std::string Selection(const char* what, const NMHDR* pnmh)
{
    const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(pnmh);
    if (!(nm->uChanged & LVIF_STATE) || !(nm->uNewState & LVIS_SELECTED) || (nm->uOldState & LVIS_SELECTED))
        return "";
    return std::string(what) + ":" + std::to_string(nm->iItem);
}

void SelectLine(HWND list, int line)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)line, (LPARAM)&item);
}

bool IsLineSelected(HWND list, int line)
{
    return (::SendMessageA(list, LVM_GETITEMSTATE, (WPARAM)line, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// Controls as wrapper members, their messages routed by the table.
class CRoutedDialog : public CDialog {
public:
    CRoutedDialog() : CDialog(104)
    {
        RouteCommand(20, BN_CLICKED, &CRoutedDialog::OnBrowse);
        RouteCommandRange(21, 23, BN_CLICKED, &CRoutedDialog::OnChoice);
        RouteCommand(25, EN_CHANGE, &CRoutedDialog::OnNameChange);
        RouteNotify(26, LVN_ITEMCHANGING, &CRoutedDialog::OnLineChanging);
        RouteNotify(26, LVN_ITEMCHANGED, &CRoutedDialog::OnLineChanged);
    }

    std::vector<std::string> log;
    int lockedLine = 1; // a line that may not be selected
    CButton m_Browse;
    CEdit m_Name;
    CListCtrl m_Lines;

protected:
    BOOL OnInitDialog() override
    {
        EXPECT_TRUE(AttachDlgItem(m_Browse, 20));
        EXPECT_TRUE(AttachDlgItem(m_Name, 25));
        EXPECT_TRUE(AttachDlgItem(m_Lines, 26));
        CStatic none;
        EXPECT_FALSE(AttachDlgItem(none, 99));
        m_Lines.InsertColumn(0, "", 100);
        m_Lines.AddLine("первая");
        m_Lines.AddLine("вторая");
        m_Lines.AddLine("третья");
        return TRUE;
    }
    void OnOK() override
    {
        log.push_back("ok");
        CDialog::OnOK();
    }
    void OnBrowse() { log.push_back("browse"); }
    void OnChoice(UINT id) { log.push_back("choice:" + std::to_string(id)); }
    void OnNameChange()
    {
        char text[32] = "";
        m_Name.GetWindowText(text, sizeof(text));
        log.push_back(std::string("name:") + text);
    }
    LRESULT OnLineChanging(NMHDR* pnmh)
    {
        std::string change = Selection("changing", pnmh);
        if (change.empty())
            return FALSE;
        log.push_back(change);
        // TRUE keeps the line as it is.
        return reinterpret_cast<NMLISTVIEW*>(pnmh)->iItem == lockedLine;
    }
    LRESULT OnLineChanged(NMHDR* pnmh)
    {
        std::string change = Selection("changed", pnmh);
        if (!change.empty())
            log.push_back(change);
        return 0;
    }
};

TEST(DialogRouting, ButtonCommandsReachTheirHandlers)
{
    CWinApp app;
    CRoutedDialog dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ShowWindow(SW_SHOW);
    HWND d = dlg.m_hWnd;
    EXPECT_EQ(::GetDlgItem(d, 20), dlg.m_Browse.m_hWnd);
    dlg.m_Browse.Click();
    CButton(::GetDlgItem(d, 22)).Click();
    CButton(::GetDlgItem(d, 21)).Click();
    CButton(::GetDlgItem(d, 23)).Click();
    CButton(::GetDlgItem(d, 24)).Click(); // routed nowhere: left to the dialog manager
    // The id matters, not only the code: BN_CLICKED of 25 is routed nowhere
    // (its EN_CHANGE is).
    ::SendMessageA(d, WM_COMMAND, MAKEWPARAM(25, BN_CLICKED), (LPARAM)dlg.m_Name.m_hWnd);
    dlg.m_Name.SetWindowText("имя");
    EXPECT_EQ((std::vector<std::string>{"browse", "choice:22", "choice:21", "choice:23", "name:имя"}), dlg.log);
    EXPECT_TRUE(::IsWindow(d));
    // IDOK, not routed, still ends in OnOK, which ends the modeless dialog.
    CButton(::GetDlgItem(d, IDOK)).Click();
    EXPECT_EQ("ok", dlg.log.back());
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    // The wrappers let go of the controls with the dialog.
    EXPECT_EQ(nullptr, dlg.m_Browse.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_Name.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_Lines.m_hWnd);
}

TEST(DialogRouting, ModalDialogRoutesClicksFromAnotherThread)
{
    ModalGuard guard;
    CWinApp app;
    CRoutedDialog dlg;
    auto driver = Driver([&] {
        HWND d = FindOwnWindow("Проверка маршрутов");
        if (!d)
            return;
        ::SendMessageA(::GetDlgItem(d, 23), BM_CLICK, 0, 0);
        ::SendMessageA(::GetDlgItem(d, 20), BM_CLICK, 0, 0);
        ::SendMessageA(::GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    driver->Join();
    EXPECT_EQ((std::vector<std::string>{"choice:23", "browse"}), dlg.log);
}

TEST(DialogRouting, NotificationsOfItsControlsReachTheirHandlers)
{
    CWinApp app;
    CRoutedDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HWND lines = dlg.m_Lines.m_hWnd;
    ASSERT_NE(nullptr, lines);
    SelectLine(lines, 0);
    EXPECT_TRUE(IsLineSelected(lines, 0));
    // The handler's answer goes back to the control: the locked line stays unselected.
    SelectLine(lines, 1);
    EXPECT_FALSE(IsLineSelected(lines, 1));
    SelectLine(lines, 2);
    EXPECT_TRUE(IsLineSelected(lines, 2));
    EXPECT_EQ((std::vector<std::string>{"changing:0", "changed:0", "changing:1", "changing:2", "changed:2"}),
              dlg.log);
    dlg.DestroyWindow();
}

TEST(DialogRouting, NotificationsOfOtherWindowsAreIgnored)
{
    CWinApp app;
    CRoutedDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HWND d = dlg.m_hWnd;
    // A window of the test's own, made elsewhere, with the id of the dialog's list.
    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    HWND stranger = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host, (HMENU)26, nullptr, nullptr);
    ASSERT_NE(nullptr, stranger);
    ASSERT_EQ(26, ::GetDlgCtrlID(stranger));

    NMLISTVIEW nm = {};
    nm.hdr.idFrom = 26;
    nm.hdr.code = LVN_ITEMCHANGING;
    nm.iItem = dlg.lockedLine;
    nm.uChanged = LVIF_STATE;
    nm.uNewState = LVIS_SELECTED;
    // From the stranger ...
    nm.hdr.hwndFrom = stranger;
    EXPECT_EQ(0, ::SendMessageA(d, WM_NOTIFY, 26, (LPARAM)&nm));
    // ... from a child of the dialog that is not the control it names ...
    nm.hdr.hwndFrom = ::GetDlgItem(d, 20);
    EXPECT_EQ(0, ::SendMessageA(d, WM_NOTIFY, 26, (LPARAM)&nm));
    // ... from a popup the dialog owns (GetParent names its owner) under that id ...
    HWND owned = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, d, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owned);
    ::SetWindowLongPtrA(owned, GWLP_ID, 26);
    nm.hdr.hwndFrom = owned;
    EXPECT_EQ(0, ::SendMessageA(d, WM_NOTIFY, 26, (LPARAM)&nm));
    ::DestroyWindow(owned);
    // ... and from no window at all: nothing reaches the handler.
    nm.hdr.hwndFrom = nullptr;
    EXPECT_EQ(0, ::SendMessageA(d, WM_NOTIFY, 26, (LPARAM)&nm));
    EXPECT_TRUE(dlg.log.empty());
    // The same notification from the list itself is handled.
    nm.hdr.hwndFrom = dlg.m_Lines.m_hWnd;
    EXPECT_EQ(TRUE, ::SendMessageA(d, WM_NOTIFY, 26, (LPARAM)&nm));
    EXPECT_EQ((std::vector<std::string>{"changing:1"}), dlg.log);

    ::DestroyWindow(host);
    dlg.DestroyWindow();
}

// A page routes the messages of its own controls, and still takes the
// notifications of its sheet, but of no one else.
class CRoutedPage : public CPropertyPage {
public:
    explicit CRoutedPage(std::vector<std::string>* log) : CPropertyPage(105), m_log(log)
    {
        RouteCommand(30, BN_CLICKED, &CRoutedPage::OnPress);
        RouteNotify(31, LVN_ITEMCHANGED, &CRoutedPage::OnLineChanged);
    }

protected:
    BOOL OnInitDialog() override
    {
        AttachDlgItem(m_Lines, 31);
        m_Lines.InsertColumn(0, "", 100);
        m_Lines.AddLine("строка");
        return TRUE;
    }
    BOOL OnSetActive() override
    {
        m_log->push_back("active");
        SetWizardButtons(PSWIZB_FINISH);
        return TRUE;
    }
    BOOL OnWizardFinish() override
    {
        m_log->push_back("finish");
        return TRUE;
    }
    void OnCancel() override { m_log->push_back("cancel"); }
    void OnPress() { m_log->push_back("press"); }
    LRESULT OnLineChanged(NMHDR* pnmh)
    {
        std::string change = Selection("changed", pnmh);
        if (!change.empty())
            m_log->push_back(change);
        return 0;
    }

    std::vector<std::string>* m_log;
    CListCtrl m_Lines;
};

TEST(DialogRouting, PageRoutesItsControlsAndTakesOnlyItsSheetsNotifications)
{
    ModalGuard guard;
    CWinApp app;
    std::vector<std::string> log;
    CRoutedPage page(&log);
    CPropertySheet sheet("");
    sheet.SetWizardMode();
    sheet.AddPage(&page);
    LRESULT forgedFinish = -1;
    bool openAfterForgery = false;
    auto driver = Driver([&] {
        HWND s = FindOwnWindow("Мастер: с кнопкой");
        if (!s)
            return;
        HWND p = (HWND)::SendMessageA(s, PSM_GETCURRENTPAGEHWND, 0, 0);
        ::SendMessageA(::GetDlgItem(p, 30), BM_CLICK, 0, 0);
        SelectLine(::GetDlgItem(p, 31), 0);
        // A finish that does not come from the sheet is no finish.
        HWND stranger = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        PSHNOTIFY forged = {};
        forged.hdr.hwndFrom = stranger;
        forged.hdr.code = PSN_WIZFINISH;
        forgedFinish = ::SendMessageA(p, WM_NOTIFY, 0, (LPARAM)&forged);
        ::DestroyWindow(stranger);
        openAfterForgery = ::IsWindow(s) != FALSE;
        ::SendMessageA(s, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
        ::SendMessageA(s, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        // The sheet's loop looks whether it has ended only once it gets a message.
        ::PostMessageA(s, WM_NULL, 0, 0);
        if (!WaitFor([&] { return !::IsWindow(s); }, 3000))
            ::PostMessageA(s, WM_COMMAND, IDCANCEL, 0);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(0, forgedFinish);
    EXPECT_TRUE(openAfterForgery);
    EXPECT_EQ((std::vector<std::string>{"active", "press", "changed:0", "finish"}), log);
}

} // namespace
