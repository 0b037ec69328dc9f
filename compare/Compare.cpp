#include "compare/Compare.h"

#include "app/JobState.h"

#include <cstring>
#include <prsht.h>

IMPLEMENT_DYNCREATE(CCompare, CWinThread)

namespace {

char* Copy(const char* text)
{
    if (!text)
        return nullptr;
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

} // namespace

CCompare::CCompare()
    : m_pPage(nullptr), m_pCopyButton(nullptr), m_pArchiveButton(nullptr), m_pSaveButton(nullptr),
      m_pList(nullptr), m_pszPath1(nullptr), m_pszPath2(nullptr), m_bCancel(0),
      m_bLiteralSearch(false)
{
    g_bEngineBusy = 1;
}

CCompare::~CCompare()
{
    delete[] m_pszPath1;
    delete[] m_pszPath2;
}

BOOL CCompare::InitInstance() { return TRUE; }

void CCompare::SetTargets(CWnd* pPage, CWnd* pCopyButton, CWnd* pArchiveButton, CWnd* pSaveButton,
                          CListCtrl* pList)
{
    m_pPage = pPage;
    m_pCopyButton = pCopyButton;
    m_pArchiveButton = pArchiveButton;
    m_pSaveButton = pSaveButton;
    m_pList = pList;
}

void CCompare::SetPaths(const char* path1, const char* path2)
{
    delete[] m_pszPath1;
    delete[] m_pszPath2;
    m_pszPath1 = Copy(path1);
    m_pszPath2 = Copy(path2);
}

void CCompare::AddLine(const char* text)
{
    if (m_pList && !m_bCancel)
        m_pList->AddLine(text);
}

void CCompare::ClearLines()
{
    if (m_pList && !m_bCancel)
        m_pList->DeleteAllItems();
}

int CCompare::Run()
{
    CCompareCore core(this, &m_bCancel);
    core.m_bLiteralSearch = m_bLiteralSearch;
    int result = CCompareCore::RESULT_NOT_A_REPORT;
    try {
        result = core.Run(m_pszPath1 ? m_pszPath1 : "", m_pszPath2 ? m_pszPath2 : "");
    } catch (...) {
        // Nothing leaves the thread; the buttons stay disabled.
    }
    if (!m_bCancel) {
        if (m_pPage && m_pPage->m_hWnd)
            ::PostMessageA(::GetParent(m_pPage->m_hWnd), PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
        if (result == CCompareCore::RESULT_COMPARED) {
            CWnd* buttons[] = {m_pCopyButton, m_pArchiveButton, m_pSaveButton};
            for (CWnd* b : buttons)
                if (b && b->m_hWnd)
                    b->EnableWindow(TRUE);
        }
    }
    g_bEngineBusy = 0;
    return 0;
}
