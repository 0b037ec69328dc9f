// A window that receives its own messages. The object is bound to its window
// while the window exists; every message goes through WindowProc, which calls a
// plain virtual handler per message (OnCreate, OnCommand, OnSysCommand, ...).
// A handler that wants the system's default processing calls Default(), which
// the base handlers do; OnMessage receives every message without a handler of
// its own. After WM_NCDESTROY the object is unbound and PostNcDestroy runs
// (a heap object may delete itself there). When the window is the
// application's main window, its destruction ends the message loop.
#pragma once

#include "framework/Wnd.h"

// A parent's colour request (WM_CTLCOLORSTATIC, ...) about a control that is
// bound to an object is first sent to that control as WM_REFLECT_BASE plus
// the message; a brush in answer is the parent's answer, 0 leaves the request
// to the parent's own handling.
#define WM_REFLECT_BASE (WM_USER + 0x1C00)

class CWindowImpl : public CWnd {
public:
    CWindowImpl();
    ~CWindowImpl() override;

    // Registers a window class whose procedure delivers messages to objects.
    static BOOL RegisterWindowClass(LPCSTR className, UINT style = 0, HCURSOR cursor = nullptr,
                                    HBRUSH background = nullptr, HICON icon = nullptr);
    // Creates the window of a class registered above, bound to this object.
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                  int cx, int cy, HWND parent, HMENU menu);

    // Takes over the messages of an existing window (a dialog's control, say):
    // the handlers see them first and Default() passes them on to the window's
    // own procedure. The window is given back its procedure when it is
    // destroyed or on UnsubclassWindow. FALSE, with the object left unbound,
    // when the procedure cannot be replaced (a window of another process).
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }
    HWND UnsubclassWindow();

    // The object bound to a window, or null.
    static CWindowImpl* FromHandle(HWND hWnd);

protected:
    // The current message, for Default().
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled.
    LRESULT Default();
    // The default procedure: DefWindowProc here; dialogs answer "not handled".
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual int OnCreate(CREATESTRUCTA* cs);
    virtual void OnDestroy();
    virtual void OnNcDestroy();
    virtual void OnClose();
    virtual void OnCommand(UINT id, UINT code, HWND hCtl);
    virtual LRESULT OnNotify(int idCtrl, NMHDR* pnmh);
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnPaint();
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnSettingChange(UINT flags, LPCSTR section);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called once the window is gone and the object is unbound.
    virtual void PostNcDestroy();

    void Bind(HWND hWnd);
    void Unbind();
    // Runs one message through WindowProc, keeping the current message for
    // Default(); after WM_NCDESTROY the object is not touched again.
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    CurrentMessage m_current;
    WNDPROC m_pfnSuper; // the window's own procedure while subclassed

    // Object whose window is being created on this thread (bound at its first message).
    static thread_local CWindowImpl* s_pCreating;

private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
