#include "tests/app/WindowTestSupport.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

void PumpPending()
{
    MSG m;
    CWinApp* app = AfxGetApp();
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT)
            continue;
        if (app && app->PreTranslateMessage(&m))
            continue;
        ::TranslateMessage(&m);
        ::DispatchMessageA(&m);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::vector<int> MenuIds(HMENU menu)
{
    std::vector<int> ids;
    int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof(mi);
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        ::GetMenuItemInfoA(menu, i, TRUE, &mi);
        if (mi.fType & MFT_SEPARATOR)
            ids.push_back(0);
        else if (mi.hSubMenu)
            ids.push_back(-1);
        else
            ids.push_back((int)mi.wID);
    }
    return ids;
}

std::vector<std::string> MenuTexts(HMENU menu)
{
    std::vector<std::string> texts;
    int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        char text[256] = "";
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof(mi);
        mi.fMask = MIIM_FTYPE | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = sizeof(text);
        ::GetMenuItemInfoA(menu, i, TRUE, &mi);
        texts.push_back((mi.fType & MFT_SEPARATOR) ? "-" : text);
    }
    return texts;
}

namespace {
struct FindData {
    const char* caption;
    HWND found;
};
BOOL CALLBACK FindProc(HWND h, LPARAM lp)
{
    FindData* d = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    char text[256];
    if (pid == ::GetCurrentProcessId() && ::GetWindowTextA(h, text, sizeof(text)) &&
        lstrcmpA(text, d->caption) == 0 && ::IsWindowVisible(h)) {
        d->found = h;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND WaitForWindow(const char* caption, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        FindData d = {caption, nullptr};
        ::EnumWindows(&FindProc, (LPARAM)&d);
        if (d.found)
            return d.found;
        if (::GetTickCount() - start > timeoutMs)
            return nullptr;
        ::Sleep(10);
    }
}

void UseDesktopOfThread(DWORD threadId)
{
    HDESK desk = ::GetThreadDesktop(threadId);
    if (desk)
        ::SetThreadDesktop(desk);
}
