#include "framework/PropertyPage.h"

#include "framework/WinApp.h"

CPropertyPage::CPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate)
{
    ZeroMemory(&m_psp, sizeof(m_psp));
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetInstanceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(nIDTemplate);
    m_psp.pfnDlgProc = &CPropertyPage::StaticPageProc;
    m_psp.lParam = (LPARAM)this;
}

INT_PTR CALLBACK CPropertyPage::StaticPageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CPropertyPage* self = static_cast<CPropertyPage*>(FromHandle(hWnd));
    if (!self && msg == WM_INITDIALOG && lParam) {
        // The sheet passes its copy of the page record; its lParam is the object.
        self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        self->Bind(hWnd);
    }
    if (!self)
        return FALSE;
    return self->DialogDispatch(msg, wParam, lParam);
}

HWND CPropertyPage::GetSheetWindow() const { return m_hWnd ? ::GetParent(m_hWnd) : nullptr; }

void CPropertyPage::SetWizardButtons(DWORD flags) const
{
    HWND sheet = GetSheetWindow();
    if (sheet)
        ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, (LPARAM)flags);
}

BOOL CPropertyPage::IsNotifySource(const NMHDR* pnmh) const
{
    // The sheet's notifications (PSN_*) come from the sheet, the page's parent.
    HWND sheet = GetSheetWindow();
    return (sheet && pnmh->hwndFrom == sheet) || CDialog::IsNotifySource(pnmh);
}

LRESULT CPropertyPage::OnNotify(int idCtrl, NMHDR* pnmh)
{
    switch (pnmh->code) {
    case PSN_SETACTIVE:
        return OnSetActive() ? 0 : -1;
    case PSN_KILLACTIVE:
        return OnKillActive() ? FALSE : TRUE;
    case PSN_WIZBACK:
        return OnWizardBack();
    case PSN_WIZNEXT:
        return OnWizardNext();
    case PSN_WIZFINISH:
        return OnWizardFinish() ? FALSE : TRUE;
    case PSN_QUERYCANCEL:
        return OnQueryCancel() ? FALSE : TRUE;
    case PSN_RESET:
        OnReset();
        return 0;
    case PSN_APPLY:
        return OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    default:
        return CDialog::OnNotify(idCtrl, pnmh);
    }
}

BOOL CPropertyPage::OnSetActive() { return TRUE; }
BOOL CPropertyPage::OnKillActive() { return TRUE; }
LRESULT CPropertyPage::OnWizardBack() { return 0; }
LRESULT CPropertyPage::OnWizardNext() { return 0; }
BOOL CPropertyPage::OnWizardFinish() { return TRUE; }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
void CPropertyPage::OnReset() { OnCancel(); }
BOOL CPropertyPage::OnApply() { OnOK(); return TRUE; }
void CPropertyPage::OnCancel() {}
void CPropertyPage::OnOK() {}
