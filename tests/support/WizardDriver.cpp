#include "tests/support/WizardDriver.h"

#include <prsht.h>

std::thread Driver(std::function<void()> work)
{
    DWORD ui = ::GetCurrentThreadId();
    return std::thread([ui, work] {
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
