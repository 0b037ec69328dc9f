// Common open and save file dialogs. The filter is written with "|" between
// its parts and "||" at the end ("Программы|*.exe|Все файлы|*.*||").
#pragma once

#include "framework/Wnd.h"

#include <commdlg.h>

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR defExt = nullptr, LPCSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                CWnd* pParentWnd = nullptr);

    void SetTitle(LPCSTR title);
    // Returns IDOK when the user confirmed, IDCANCEL otherwise.
    INT_PTR DoModal();
    // The chosen full path (valid after IDOK).
    LPCSTR GetPathName() const { return m_szFile; }

    OPENFILENAMEA m_ofn;
    BOOL m_bOpenFileDialog;

private:
    char m_szFile[MAX_PATH];
    char m_szFilter[512];
    char m_szTitle[MAX_PATH];
    char m_szDefExt[16];
    CWnd* m_pParentWnd;
};
