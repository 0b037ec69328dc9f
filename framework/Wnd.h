// Thin wrapper over a window handle. It does not own the window: destroying the
// wrapper leaves the window alone.
#pragma once

#include "framework/Platform.h"

class CWnd {
public:
    CWnd() : m_hWnd(nullptr) {}
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd() {}

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach()
    {
        HWND h = m_hWnd;
        m_hWnd = nullptr;
        return h;
    }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, msg, wParam, lParam);
    }
    BOOL SetWindowText(LPCSTR text) const { return ::SetWindowTextA(m_hWnd, text); }

#ifdef _WIN32
    int GetWindowText(LPSTR text, int size) const { return ::GetWindowTextA(m_hWnd, text, size); }
    CWnd GetParent() const { return CWnd(::GetParent(m_hWnd)); }
    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(m_hWnd, id)); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }

    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL SetDlgItemText(int id, LPCSTR text) const { return ::SetDlgItemTextA(m_hWnd, id, text); }
    UINT GetDlgItemText(int id, LPSTR text, int size) const
    {
        return ::GetDlgItemTextA(m_hWnd, id, text, size);
    }
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, id, msg, wParam, lParam);
    }
    BOOL CheckDlgButton(int id, UINT check) const { return ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL UpdateWindow() const { return ::UpdateWindow(m_hWnd); }
    BOOL Invalidate(BOOL erase = TRUE) const { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    void SetRedraw(BOOL redraw = TRUE) const { ::SendMessageA(m_hWnd, WM_SETREDRAW, (WPARAM)redraw, 0); }
    BOOL DestroyWindow() const { return ::DestroyWindow(m_hWnd); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    BOOL GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect); }
    BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) const
    {
        return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const
    {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    // Centres the window on the work area of the screen.
    void CenterWindow() const
    {
        RECT r, work;
        ::GetWindowRect(m_hWnd, &r);
        if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
            ::SetRect(&work, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        int cx = r.right - r.left, cy = r.bottom - r.top;
        int x = work.left + ((work.right - work.left) - cx) / 2;
        int y = work.top + ((work.bottom - work.top) - cy) / 2;
        ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    HMENU GetSystemMenu(BOOL revert = FALSE) const { return ::GetSystemMenu(m_hWnd, revert); }
    BOOL DrawMenuBar() const { return ::DrawMenuBar(m_hWnd); }
    HICON SetIcon(HICON icon, BOOL big) const
    {
        return (HICON)::SendMessageA(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)icon);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) const { return ::SetTimer(m_hWnd, id, ms, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
#endif

    HWND m_hWnd;
};
