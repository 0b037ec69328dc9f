#include "framework/FileDialog.h"

#include "framework/WinApp.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR defExt, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd)
{
    ZeroMemory(&m_ofn, sizeof(m_ofn));
    m_szFile[0] = m_szFilter[0] = m_szFilter[1] = m_szTitle[0] = m_szDefExt[0] = 0;
    if (fileName)
        lstrcpynA(m_szFile, fileName, MAX_PATH);
    if (defExt)
        lstrcpynA(m_szDefExt, defExt, sizeof(m_szDefExt));
    if (filter) {
        // "a|b|c|d||" -> "a\0b\0c\0d\0\0"
        size_t n = std::strlen(filter);
        if (n > sizeof(m_szFilter) - 2)
            n = sizeof(m_szFilter) - 2;
        for (size_t i = 0; i < n; ++i)
            m_szFilter[i] = filter[i] == '|' ? 0 : filter[i];
        m_szFilter[n] = m_szFilter[n + 1] = 0;
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_szFile;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFilter = filter ? m_szFilter : nullptr;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrDefExt = defExt ? m_szDefExt : nullptr;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (bOpenFileDialog)
        m_ofn.Flags &= ~OFN_OVERWRITEPROMPT;
}

void CFileDialog::SetTitle(LPCSTR title)
{
    lstrcpynA(m_szTitle, title, MAX_PATH);
    m_ofn.lpstrTitle = m_szTitle;
}

INT_PTR CFileDialog::DoModal()
{
    m_ofn.hwndOwner = AfxGetOwnerWindow(m_pParentWnd);
    m_ofn.hInstance = AfxGetInstanceHandle();
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}
