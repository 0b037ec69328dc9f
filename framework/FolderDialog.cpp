#include "framework/FolderDialog.h"

#include "framework/WinApp.h"

#include <shlobj.h>

CFolderDialog::CFolderDialog(LPCSTR title, LPCSTR initialFolder, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd)
{
    m_szTitle[0] = m_szInitial[0] = m_szPath[0] = 0;
    if (title)
        lstrcpynA(m_szTitle, title, MAX_PATH);
    if (initialFolder)
        lstrcpynA(m_szInitial, initialFolder, MAX_PATH);
}

int CALLBACK CFolderDialog::BrowseCallback(HWND hWnd, UINT msg, LPARAM, LPARAM data)
{
    CFolderDialog* self = reinterpret_cast<CFolderDialog*>(data);
    if (msg == BFFM_INITIALIZED && self->m_szInitial[0]) {
        // A relative folder is shown as the full path it resolves to.
        char full[MAX_PATH];
        if (!::GetFullPathNameA(self->m_szInitial, MAX_PATH, full, nullptr))
            lstrcpynA(full, self->m_szInitial, MAX_PATH);
        ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, (LPARAM)full);
    }
    return 0;
}

INT_PTR CFolderDialog::DoModal()
{
    LPITEMIDLIST root = nullptr;
    ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &root);
    BROWSEINFOA bi = {};
    bi.hwndOwner = AfxGetOwnerWindow(m_pParentWnd);
    bi.pidlRoot = root;
    bi.pszDisplayName = m_szPath;
    bi.lpszTitle = m_szTitle[0] ? m_szTitle : nullptr;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = &CFolderDialog::BrowseCallback;
    bi.lParam = (LPARAM)this;
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&bi);
    INT_PTR result = IDCANCEL;
    if (chosen) {
        if (::SHGetPathFromIDListA(chosen, m_szPath) && m_szPath[0])
            result = IDOK;
        ::CoTaskMemFree(chosen);
    }
    if (root)
        ::CoTaskMemFree(root);
    return result;
}
