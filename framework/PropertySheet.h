// Property sheet (in wizard mode after SetWizardMode) over CPropertyPage
// objects. The page list may change while the sheet runs: AddPage and
// RemovePage then also change the running sheet.
#pragma once

#include "framework/PropertyPage.h"

#include <vector>

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(LPCSTR caption = "", CWnd* pParentWnd = nullptr, UINT startPage = 0);
    ~CPropertySheet() override;

    void SetWizardMode() { m_bWizard = TRUE; }
    BOOL IsWizardMode() const { return m_bWizard; }
    void SetTitle(LPCSTR caption);
    // Shows the sheet modally over its parent (else the application's main
    // window); returns PropertySheet's result.
    virtual INT_PTR DoModal();

    // Adds a page at the end; while the sheet runs, also to the running sheet.
    // FALSE (and the page is not listed) for a page already listed or one the
    // running sheet could not take.
    BOOL AddPage(CPropertyPage* page);
    // Removes a page by object or by index; unknown pages are ignored.
    void RemovePage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int index) const;
    // Index of a page in the list, or -1.
    int GetPageIndex(const CPropertyPage* page) const;
    // While running: the shown page (by index in the list), or -1.
    int GetActiveIndex() const;
    BOOL SetActivePage(int index) const;
    // Posts the wizard buttons (PSWIZB_*) to the running sheet.
    void SetWizardButtons(DWORD flags) const;
    // While running: presses a sheet button (PSBTN_*).
    void PressButton(int button) const;

    UINT m_nStartPage;
    CWnd* m_pParentWnd;
    char m_szCaption[MAX_PATH];

protected:
    std::vector<CPropertyPage*> m_pages;
    BOOL m_bWizard;

private:
    static int CALLBACK SheetCallback(HWND hWnd, UINT msg, LPARAM lParam);
    static thread_local CPropertySheet* s_pRunning;
};
