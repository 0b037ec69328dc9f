// One page of a property sheet, bound to its dialog template by number. The
// sheet's notifications arrive as plain handlers: OnSetActive, OnKillActive,
// OnWizardBack, OnWizardNext, OnWizardFinish, OnQueryCancel and OnReset (the
// sheet was cancelled, which calls OnCancel). The page window is created afresh
// each time the sheet runs; the object lives on. Controls and their messages
// go as in every dialog (see Dialog.h): wrapper members attached in
// OnInitDialog, handlers routed in the constructor:
//
//     CSourcePage::CSourcePage() : CPropertyPage(IDD_SOURCE)
//     {
//         RouteCommand(IDC_SOURCE_BROWSE, BN_CLICKED, &CSourcePage::OnBrowseSource);
//         RouteCommandRange(IDC_KIND_FILES, IDC_KIND_REGISTRY, BN_CLICKED, &CSourcePage::OnKindClicked);
//         RouteNotify(IDC_SOURCE_TREE, NM_CUSTOMDRAW, &CSourcePage::OnTreeCustomDraw);
//     }
//     BOOL CSourcePage::OnInitDialog()
//     {
//         AttachDlgItem(m_SourcePath, IDC_SOURCE_PATH);
//         AttachDlgItem(m_SourceTree, IDC_SOURCE_TREE);
//         return TRUE;
//     }
//
// Besides its own controls, a page takes the notifications of its sheet.
#pragma once

#include "framework/Dialog.h"

#include <commctrl.h>
#include <prsht.h>

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT nIDTemplate);
    // The page record points at the object: a copy would point at another.
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    // Posts the wizard buttons (PSWIZB_*) to the sheet.
    void SetWizardButtons(DWORD flags) const;
    // The sheet window (the page's parent), or null when the page is not shown.
    HWND GetSheetWindow() const;

    PROPSHEETPAGEA m_psp;

protected:
    // TRUE accepts the activation.
    virtual BOOL OnSetActive();
    // TRUE lets the page be left.
    virtual BOOL OnKillActive();
    // 0 goes to the neighbouring page, -1 stays, a template number jumps there.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // TRUE lets the sheet close.
    virtual BOOL OnWizardFinish();
    // TRUE lets the sheet be cancelled.
    virtual BOOL OnQueryCancel();
    virtual void OnReset();
    virtual BOOL OnApply();
    void OnCancel() override;
    void OnOK() override;

    LRESULT OnNotify(int idCtrl, NMHDR* pnmh) override;
    BOOL IsNotifySource(const NMHDR* pnmh) const override;

private:
    static INT_PTR CALLBACK StaticPageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
