#include "compare/Compare.h"

#include "base/JobState.h"

#include <cstring>

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
    : m_pszPath1(nullptr), m_pszPath2(nullptr), m_bCancel(0), m_bLiteralSearch(false),
      m_pOutput(nullptr)
{
    m_controls.SetCancelFlag(&m_bCancel);
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
    m_controls.SetPage(pPage);
    m_controls.SetList(pList);
    m_controls.EnableOnSuccess(pCopyButton);
    m_controls.EnableOnSuccess(pArchiveButton);
    m_controls.EnableOnSuccess(pSaveButton);
    m_pOutput = &m_controls;
}

void CCompare::SetPaths(const char* path1, const char* path2)
{
    delete[] m_pszPath1;
    delete[] m_pszPath2;
    m_pszPath1 = Copy(path1);
    m_pszPath2 = Copy(path2);
}

int CCompare::Run()
{
    CCompareCore core(m_pOutput, &m_bCancel);
    core.m_bLiteralSearch = m_bLiteralSearch;
    int result = CCompareCore::RESULT_NOT_A_REPORT;
    try {
        result = core.Run(m_pszPath1 ? m_pszPath1 : "", m_pszPath2 ? m_pszPath2 : "");
    } catch (...) {
        // Nothing leaves the thread; the buttons stay disabled.
    }
    if (!m_bCancel && m_pOutput) {
        try {
            m_pOutput->JobEnded(result == CCompareCore::RESULT_COMPARED);
        } catch (...) {
        }
    }
    g_bEngineBusy = 0;
    return 0;
}
