#include "framework/WindowImpl.h"

#include "framework/WinApp.h"

namespace {
const char kObjectProp[] = "ZmWindowObject";
}

thread_local CWindowImpl* CWindowImpl::s_pCreating = nullptr;

CWindowImpl::CWindowImpl() : m_current{0, 0, 0}, m_pfnSuper(nullptr) {}

CWindowImpl::~CWindowImpl()
{
    // An object that goes away before its window: the window stays, unbound.
    if (m_hWnd && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this) {
        if (m_pfnSuper)
            UnsubclassWindow();
        else
            ::RemovePropA(m_hWnd, kObjectProp);
    }
}

BOOL CWindowImpl::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandle(hWnd))
        return FALSE;
    // Bound first, so that a message sent as soon as the procedure is in place
    // finds its object.
    Bind(hWnd);
    // SetWindowLongPtr answers 0 on failure, and for a previous value of 0; the
    // error code tells the two apart. When the procedure was not replaced (the
    // window belongs to another process, say), the object lets go of the window.
    ::SetLastError(0);
    LONG_PTR previous = ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&CWindowImpl::StaticWndProc);
    if (!previous && ::GetLastError() != 0) {
        Unbind();
        return FALSE;
    }
    m_pfnSuper = (WNDPROC)previous;
    return TRUE;
}

HWND CWindowImpl::UnsubclassWindow()
{
    HWND h = m_hWnd;
    if (!h || !m_pfnSuper)
        return nullptr;
    ::SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    Unbind();
    return h;
}

BOOL CWindowImpl::RegisterWindowClass(LPCSTR className, UINT style, HCURSOR cursor,
                                      HBRUSH background, HICON icon)
{
    WNDCLASSA wc = {};
    HINSTANCE inst = AfxGetInstanceHandle();
    if (::GetClassInfoA(inst, className, &wc))
        return TRUE;
    wc.style = style;
    wc.lpfnWndProc = &CWindowImpl::StaticWndProc;
    wc.hInstance = inst;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return ::RegisterClassA(&wc) != 0;
}

BOOL CWindowImpl::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                           int y, int cx, int cy, HWND parent, HMENU menu)
{
    s_pCreating = this;
    HWND h = ::CreateWindowExA(exStyle, className, title, style, x, y, cx, cy, parent, menu,
                               AfxGetInstanceHandle(), nullptr);
    s_pCreating = nullptr;
    return h != nullptr;
}

CWindowImpl* CWindowImpl::FromHandle(HWND hWnd)
{
    return hWnd ? static_cast<CWindowImpl*>(::GetPropA(hWnd, kObjectProp)) : nullptr;
}

void CWindowImpl::Bind(HWND hWnd)
{
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kObjectProp, this);
}

void CWindowImpl::Unbind()
{
    if (m_hWnd)
        ::RemovePropA(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWindowImpl::StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowImpl* self = FromHandle(hWnd);
    if (!self && s_pCreating) {
        self = s_pCreating;
        s_pCreating = nullptr;
        self->Bind(hWnd);
    }
    if (!self)
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CWindowImpl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    CurrentMessage saved = m_current;
    m_current = {msg, wParam, lParam};
    LRESULT result = WindowProc(msg, wParam, lParam);
    m_current = saved;
    if (msg == WM_NCDESTROY) {
        if (m_pfnSuper) {
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
            m_pfnSuper = nullptr;
        }
        Unbind();
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == this) {
            app->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        PostNcDestroy();
    }
    return result;
}

LRESULT CWindowImpl::Default()
{
    return DefaultProc(m_current.msg, m_current.wParam, m_current.lParam);
}

LRESULT CWindowImpl::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowImpl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify((int)wParam, reinterpret_cast<NMHDR*>(lParam));
    case WM_SYSCOMMAND:
        OnSysCommand((UINT)wParam, lParam);
        return 0;
    case WM_SIZE:
        OnSize((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam));
        return 0;
    case WM_TIMER:
        OnTimer((UINT_PTR)wParam);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SHOWWINDOW:
        OnShowWindow((BOOL)wParam, (UINT)lParam);
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange((UINT)wParam, reinterpret_cast<LPCSTR>(lParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    default:
        return OnMessage(msg, wParam, lParam);
    }
}

int CWindowImpl::OnCreate(CREATESTRUCTA*) { return (int)Default(); }
void CWindowImpl::OnDestroy() { Default(); }
void CWindowImpl::OnNcDestroy() { Default(); }
void CWindowImpl::OnClose() { Default(); }
void CWindowImpl::OnCommand(UINT, UINT, HWND) { Default(); }
LRESULT CWindowImpl::OnNotify(int, NMHDR*) { return Default(); }
void CWindowImpl::OnSysCommand(UINT, LPARAM) { Default(); }
void CWindowImpl::OnSize(UINT, int, int) { Default(); }
void CWindowImpl::OnTimer(UINT_PTR) { Default(); }
void CWindowImpl::OnPaint() { Default(); }
void CWindowImpl::OnShowWindow(BOOL, UINT) { Default(); }
void CWindowImpl::OnSettingChange(UINT, LPCSTR) { Default(); }
void CWindowImpl::OnKeyDown(UINT, UINT, UINT) { Default(); }
LRESULT CWindowImpl::OnMessage(UINT, WPARAM, LPARAM) { return Default(); }
void CWindowImpl::PostNcDestroy() {}
