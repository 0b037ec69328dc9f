// Dialog bound to a dialog template by number, shown modally (DoModal) or
// modelessly (Create). Handlers are those of CWindowImpl plus OnInitDialog,
// OnOK and OnCancel (the buttons IDOK and IDCANCEL, and Enter and Escape). A
// handler's return value becomes the dialog's message result; calling
// Default() leaves the message to the dialog manager.
#pragma once

#include "framework/WindowImpl.h"

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

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, UINT code, HWND hCtl) override;
    void OnNcDestroy() override;

    // Runs a dialog message through the handlers and turns the result into what
    // a dialog procedure returns.
    INT_PTR DialogDispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    BOOL m_bModal;
    BOOL m_bDefaulted; // Default() was called for the message being handled

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow(CWnd* pParent) const;
};
