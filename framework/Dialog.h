// Dialog bound to a dialog template by number, shown modally (DoModal) or
// modelessly (Create). Handlers are those of CWindowImpl plus OnInitDialog,
// OnOK and OnCancel (the buttons IDOK and IDCANCEL, and Enter and Escape). A
// handler's return value becomes the dialog's message result; calling
// Default() leaves the message to the dialog manager.
//
// Controls and their messages, the same in every dialog and page:
// - each control the code talks to is a wrapper member (CEdit, CComboBox,
//   CButton, ...) attached in OnInitDialog with AttachDlgItem, and let go
//   when the dialog's window is destroyed;
// - the constructor routes the control messages to member handlers with
//   RouteCommand, RouteCommandRange and RouteNotify (see MessageMap.h);
//   OnCommand and OnNotify call the routed handler, and a command nobody
//   routed ends in OnOK or OnCancel for IDOK and IDCANCEL, else in Default().
// Colour requests of controls bound to objects are reflected to them first
// (WM_REFLECT_BASE).
// Notifications are only taken from the dialog's own controls (a child
// window with the id it reports) and from the dialog itself; those of other
// windows are left to the dialog manager unseen.
#pragma once

#include "framework/MessageMap.h"
#include "framework/WindowImpl.h"

#include <vector>

class CDialog : public CWindowImpl {
public:
    explicit CDialog(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; the owner is the parent given at construction,
    // else the application's main window. Returns the EndDialog result, or -1.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; a template of 0 means the constructor's one.
    // Keyboard navigation of modeless dialogs is done by the message loop.
    virtual BOOL Create(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);
    // Ends a modal dialog with the result.
    void EndDialog(INT_PTR result);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Routes a command of a control (code BN_CLICKED, EN_CHANGE, ...) to a
    // member function of the derived class T, taking nothing or the id.
    template <class T>
    void RouteCommand(UINT id, UINT code, void (T::*handler)())
    {
        m_map.AddCommand(id, id, code, handler);
    }
    template <class T>
    void RouteCommand(UINT id, UINT code, void (T::*handler)(UINT id))
    {
        m_map.AddCommand(id, id, code, handler);
    }
    // Routes the command of every id from first to last to one handler.
    template <class T>
    void RouteCommandRange(UINT first, UINT last, UINT code, void (T::*handler)(UINT id))
    {
        m_map.AddCommand(first, last, code, handler);
    }
    // Routes a notification (WM_NOTIFY) of a control to a member function.
    template <class T>
    void RouteNotify(UINT id, UINT code, LRESULT (T::*handler)(NMHDR* pnmh))
    {
        m_map.AddNotify(id, code, handler);
    }

    // Attaches a control wrapper to the dialog's control of that id (in
    // OnInitDialog); FALSE when there is none. The wrapper is detached when
    // the dialog's window is destroyed.
    BOOL AttachDlgItem(CWnd& control, int id);
    // Whether a notification comes from a source the dialog takes them from.
    virtual BOOL IsNotifySource(const NMHDR* pnmh) const;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, UINT code, HWND hCtl) override;
    LRESULT OnNotify(int idCtrl, NMHDR* pnmh) override;
    void OnNcDestroy() override;

    // Runs a dialog message through the handlers and turns the result into what
    // a dialog procedure returns.
    INT_PTR DialogDispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    BOOL m_bModal;
    BOOL m_bDefaulted; // Default() was called for the message being handled

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void DetachDlgItems();

    CMessageMap m_map;
    std::vector<CWnd*> m_dlgItems; // wrappers attached by AttachDlgItem
};
