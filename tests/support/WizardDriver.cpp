#include "tests/support/WizardDriver.h"

#include <commctrl.h>
#include <prsht.h>

std::unique_ptr<CWorkerThread> Driver(std::function<void()> work)
{
    DWORD ui = ::GetCurrentThreadId();
    return StartWorker([ui, work] {
        HDESK desk = ::GetThreadDesktop(ui);
        if (desk)
            ::SetThreadDesktop(desk);
        work();
    });
}

bool WaitFor(const std::function<bool()>& done, DWORD ms)
{
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms)
            return false;
        ::Sleep(5);
    }
    return true;
}

std::string SheetButtons(HWND sheet)
{
    std::string s;
    for (int id : {0x3023, 0x3024, 0x3025, IDCANCEL}) {
        HWND b = ::GetDlgItem(sheet, id);
        s += !b || !::IsWindowVisible(b) ? 'x' : ::IsWindowEnabled(b) ? '+' : '-';
    }
    return s;
}

bool SheetButtonsBecome(HWND sheet, const std::string& expected, DWORD ms)
{
    return WaitFor([&] { return SheetButtons(sheet) == expected; }, ms);
}

HWND CurrentPage(HWND sheet) { return (HWND)::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0); }

bool PageWithControl(HWND sheet, int control, DWORD ms)
{
    return WaitFor([&] { return ::GetDlgItem(CurrentPage(sheet), control) != nullptr; }, ms);
}

void Press(HWND sheet, int button)
{
    ::SendMessageA(sheet, PSM_PRESSBUTTON, (WPARAM)button, 0);
    ::PostMessageA(sheet, WM_NULL, 0, 0);
}

void Click(HWND sheet, int id) { ::SendMessageA(::GetDlgItem(CurrentPage(sheet), id), BM_CLICK, 0, 0); }

void Problems::Check(bool ok, const std::string& what)
{
    if (!ok)
        text += what + "; ";
}

bool Problems::OnPage(HWND sheet, int control, const char* name)
{
    bool ok = PageWithControl(sheet, control);
    Check(ok, std::string("not on the ") + name + " page");
    return ok;
}

HWND PastWelcome(HWND sheet, Problems& p, int control, const char* page)
{
    if (!sheet) {
        p.Check(false, "no sheet");
        return nullptr;
    }
    Press(sheet, PSBTN_NEXT);
    p.OnPage(sheet, control, page);
    return sheet;
}

void Problems::ButtonsAre(HWND sheet, const char* expected, const std::string& where)
{
    bool ok = SheetButtonsBecome(sheet, expected);
    Check(ok, where + ": buttons " + SheetButtons(sheet) + " instead of " + expected);
}

void TypeInCombo(HWND sheet, int box, const std::string& text)
{
    HWND edit = ::GetWindow(::GetDlgItem(CurrentPage(sheet), box), GW_CHILD);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text)
        ::SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)c, 0);
}

std::string AnswerMessageBox(const char* caption)
{
    HWND box = nullptr;
    WaitFor([&] {
        box = ::FindWindowA(nullptr, caption);
        return box && ::IsWindowVisible(box);
    }, 10000);
    if (!box)
        return "<no message box>";
    std::string text;
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "", buf[512] = "";
        ::GetClassNameA(c, cls, sizeof cls);
        ::GetWindowTextA(c, buf, sizeof buf);
        if (!lstrcmpiA(cls, "Static") && buf[0])
            text = buf;
    }
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return text;
}

std::string TreeText(HWND tree, HTREEITEM item)
{
    char text[MAX_PATH] = "";
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    ::SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&tv);
    return text;
}

HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const std::string& text)
{
    for (HTREEITEM c = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent); c;
         c = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c))
        if (::lstrcmpiA(TreeText(tree, c).c_str(), text.c_str()) == 0)
            return c;
    return nullptr;
}

void TreeToggle(HWND tree, HTREEITEM item)
{
    ::SendMessageA(tree, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    ::SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(tree, WM_KEYUP, VK_SPACE, 0);
}

bool TreeChecked(HWND tree, HTREEITEM item)
{
    return ((::SendMessageA(tree, TVM_GETITEMSTATE, (WPARAM)item, TVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
}

bool AnswerFileDialog(const char* caption, const std::string& path)
{
    HWND d = nullptr;
    if (!WaitFor([&] {
            d = ::FindWindowA(nullptr, caption);
            return d && ::IsWindowVisible(d);
        }))
        return false;
    HWND name = ::GetDlgItem(d, 0x47c); // the name combo box of the Explorer-style dialog
    if (!name)
        name = ::GetDlgItem(d, 0x480); // the name edit of the older one
    ::SetWindowTextA(name, path.c_str());
    ::PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitFor([&] { return !::IsWindow(d); });
}
