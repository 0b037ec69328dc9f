#include "tests/app/MainWindowFixture.h"

#include "framework/WorkerThread.h"
#include "tests/app/WindowTestSupport.h"


void MainWindowTest::SetUp()
{
    RecordedCalls().clear();
    ini = dir / "ZM.ini";
    settings.SetPath(ini.c_str());
    settings.Load();
    PrepareSettings();
    settings.Save();
    wnd = new CMainWnd(settings);
    ASSERT_TRUE(wnd->Create());
    app.m_pMainWnd = wnd;
}

void MainWindowTest::TearDown()
{
    if (wnd->m_hWnd)
        wnd->DestroyWindow();
    PumpPending();
    delete wnd;
}

void MainWindowTest::SkipSplash()
{
    if (wnd->m_pSplash)
        wnd->m_pSplash->DestroyWindow();
    PumpPending();
    ASSERT_TRUE(wnd->IsWindowVisible());
}

void MainWindowTest::RunModal(UINT command, const std::function<void()>& drive, DWORD timeoutMs, UINT message)
{
    DWORD uiThread = ::GetCurrentThreadId();
    auto driver = StartWorker([&] {
        UseDesktopOfThread(uiThread);
        drive();
    });
    UINT_PTR guard = GuardModal(wnd->m_hWnd, timeoutMs);
    wnd->SendMessage(message, command); // runs until the driver closes the window
    ::KillTimer(nullptr, guard);
    driver->Join();
}

namespace {

struct OwnedSearch {
    HWND owner, found;
};

BOOL CALLBACK FindOwned(HWND h, LPARAM lp)
{
    OwnedSearch* f = reinterpret_cast<OwnedSearch*>(lp);
    if (::GetWindow(h, GW_OWNER) == f->owner && ::IsWindowVisible(h)) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND s_guardedOwner;

void CALLBACK EndStuckDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND popup = OwnedPopup(s_guardedOwner);
    for (HWND next; popup && (next = OwnedPopup(popup));)
        popup = next;
    if (popup)
        ::PostMessageA(popup, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

} // namespace

HWND OwnedPopup(HWND owner)
{
    OwnedSearch f = {owner, nullptr};
    ::EnumWindows(&FindOwned, (LPARAM)&f);
    return f.found;
}

UINT_PTR GuardModal(HWND owner, DWORD timeoutMs)
{
    s_guardedOwner = owner;
    return ::SetTimer(nullptr, 0, timeoutMs, &EndStuckDialog);
}
