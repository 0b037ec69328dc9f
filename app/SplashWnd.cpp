#include "app/SplashWnd.h"

#include "framework/WinApp.h"
#include "res/resource.h"

namespace {
const char kSplashClass[] = "ZelmoraSplash";
}

CSplashWnd::CSplashWnd() : m_hOwner(nullptr), m_pSelf(nullptr) {}

BOOL CSplashWnd::Create(CWnd* pOwner, CSplashWnd** pSelf)
{
    m_hOwner = pOwner ? pOwner->m_hWnd : nullptr;
    m_pSelf = pSelf;
    RegisterWindowClass(kSplashClass, 0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
    if (!CreateEx(WS_EX_TOPMOST, kSplashClass, "", WS_POPUP, 0, 0, WIDTH, HEIGHT, m_hOwner, nullptr))
        return FALSE;
    CenterWindow();
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
}

void CSplashWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    HBITMAP bmp = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_SPLASH));
    if (bmp) {
        HDC mem = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        ::BitBlt(dc, 0, 0, WIDTH, HEIGHT, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
        ::DeleteObject(bmp);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CSplashWnd::OnShowWindow(BOOL show, UINT status)
{
    Default();
    if (show)
        SetTimer(TIMER_ID, SHOW_TIME_MS);
}

void CSplashWnd::OnTimer(UINT_PTR id)
{
    if (id != TIMER_ID) {
        Default();
        return;
    }
    KillTimer(TIMER_ID);
    DestroyWindow();
}

void CSplashWnd::OnDestroy()
{
    Default();
    if (m_hOwner && ::IsWindow(m_hOwner)) {
        ::ShowWindow(m_hOwner, SW_SHOWDEFAULT);
        ::UpdateWindow(m_hOwner);
    }
}

void CSplashWnd::PostNcDestroy()
{
    if (m_pSelf)
        *m_pSelf = nullptr;
    delete this;
}
