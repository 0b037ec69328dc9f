#include "framework/PropertySheet.h"

#include "framework/WinApp.h"

#include <algorithm>

thread_local CPropertySheet* CPropertySheet::s_pRunning = nullptr;

CPropertySheet::CPropertySheet(LPCSTR caption, CWnd* pParentWnd, UINT startPage)
    : m_nStartPage(startPage), m_pParentWnd(pParentWnd), m_bWizard(FALSE)
{
    SetTitle(caption);
}

CPropertySheet::~CPropertySheet() {}

void CPropertySheet::SetTitle(LPCSTR caption)
{
    lstrcpynA(m_szCaption, caption ? caption : "", MAX_PATH);
    if (m_hWnd)
        ::SetWindowTextA(m_hWnd, m_szCaption);
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT msg, LPARAM)
{
    if (msg == PSCB_INITIALIZED && s_pRunning)
        s_pRunning->m_hWnd = hWnd;
    return 0;
}

INT_PTR CPropertySheet::DoModal()
{
    std::vector<PROPSHEETPAGEA> records;
    for (CPropertyPage* p : m_pages)
        records.push_back(p->m_psp);

    PROPSHEETHEADERA psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | (m_bWizard ? PSH_WIZARD : 0);
    psh.hwndParent = AfxGetOwnerWindow(m_pParentWnd, this);
    psh.hInstance = AfxGetInstanceHandle();
    psh.pszCaption = m_szCaption;
    psh.nPages = (UINT)records.size();
    psh.nStartPage = m_nStartPage < psh.nPages ? m_nStartPage : 0;
    psh.ppsp = records.data();
    psh.pfnCallback = &CPropertySheet::SheetCallback;

    CPropertySheet* outer = s_pRunning;
    s_pRunning = this;
    INT_PTR r = ::PropertySheetA(&psh);
    s_pRunning = outer;
    m_hWnd = nullptr;
    return r;
}

BOOL CPropertySheet::AddPage(CPropertyPage* page)
{
    if (!page || GetPageIndex(page) >= 0)
        return FALSE;
    if (m_hWnd) {
        // The list mirrors the running sheet's pages index for index, so a page
        // the sheet did not take is not listed either.
        HPROPSHEETPAGE h = ::CreatePropertySheetPageA(&page->m_psp);
        if (!h)
            return FALSE;
        if (!::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, (LPARAM)h)) {
            // A page the sheet refused (its template cannot be loaded, say)
            // stays the caller's to destroy.
            ::DestroyPropertySheetPage(h);
            return FALSE;
        }
    }
    m_pages.push_back(page);
    return TRUE;
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }

void CPropertySheet::RemovePage(int index)
{
    if (index < 0 || index >= (int)m_pages.size())
        return;
    if (m_hWnd)
        ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, (WPARAM)index, 0);
    m_pages.erase(m_pages.begin() + index);
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < (int)m_pages.size() ? m_pages[index] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const
{
    auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : (int)(it - m_pages.begin());
}

int CPropertySheet::GetActiveIndex() const
{
    if (!m_hWnd)
        return -1;
    HWND page = (HWND)::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (page && m_pages[i]->m_hWnd == page)
            return (int)i;
    return -1;
}

BOOL CPropertySheet::SetActivePage(int index) const
{
    return m_hWnd && (BOOL)::SendMessageA(m_hWnd, PSM_SETCURSEL, (WPARAM)index, 0);
}

void CPropertySheet::SetWizardButtons(DWORD flags) const
{
    if (m_hWnd)
        ::PostMessageA(m_hWnd, PSM_SETWIZBUTTONS, 0, (LPARAM)flags);
}

void CPropertySheet::PressButton(int button) const
{
    if (m_hWnd)
        ::PostMessageA(m_hWnd, PSM_PRESSBUTTON, (WPARAM)button, 0);
}
