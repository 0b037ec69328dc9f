// The shell's folder browser, rooted at My Computer, returning file-system
// folders only, opened at a given folder.
#pragma once

#include "framework/Wnd.h"

class CFolderDialog {
public:
    explicit CFolderDialog(LPCSTR title = nullptr, LPCSTR initialFolder = nullptr,
                           CWnd* pParentWnd = nullptr);

    // Returns IDOK when the user picked a folder, IDCANCEL otherwise.
    INT_PTR DoModal();
    LPCSTR GetFolderPath() const { return m_szPath; }

private:
    static int CALLBACK BrowseCallback(HWND hWnd, UINT msg, LPARAM lParam, LPARAM data);

    char m_szTitle[MAX_PATH];
    char m_szInitial[MAX_PATH];
    char m_szPath[MAX_PATH];
    CWnd* m_pParentWnd;
};
