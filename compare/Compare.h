// The comparing engine: a worker thread that compares two reports and writes the
// differences into the result list of the comparing wizard.
//
// Use: create it suspended through its class record, set m_pszPath1 and
// m_pszPath2 (SetPaths makes the heap copies the engine owns), call SetTargets,
// resume it. The result page's Cancel sets m_bCancel while g_bEngineBusy is set.
// When the run ends without being cancelled the sheet is told that the wizard
// may finish, and, when both files were reports, the three buttons are enabled.
// The created and changed items stay in the path list and the key list.
#pragma once

#include "compare/CompareCore.h"
#include "compare/CompareOutput.h"
#include "framework/ListCtrl.h"
#include "framework/WinThread.h"

class CCompare : public CWinThread, private CCompareOutput {
    DECLARE_DYNCREATE(CCompare)
public:
    CCompare();
    ~CCompare() override;

    BOOL InitInstance() override;
    int Run() override;

    // Owner page (its parent sheet is told when the wizard may finish), the copy,
    // archive and save buttons, and the result list. Any of them may be null.
    void SetTargets(CWnd* pPage, CWnd* pCopyButton, CWnd* pArchiveButton, CWnd* pSaveButton,
                    CListCtrl* pList);
    // Replaces the two report paths with copies (allocated with new[]).
    void SetPaths(const char* path1, const char* path2);

    CWnd* m_pPage;
    CWnd* m_pCopyButton;
    CWnd* m_pArchiveButton;
    CWnd* m_pSaveButton;
    CListCtrl* m_pList;
    char* m_pszPath1; // first report as chosen; owned, freed with delete[]
    char* m_pszPath2; // second report as chosen; owned, freed with delete[]
    volatile BYTE m_bCancel;
    bool m_bLiteralSearch; // match with the literal search (tests)

private:
    void AddLine(const char* text) override;
    void ClearLines() override;
};
