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

#include "base/ControlOutput.h"
#include "compare/CompareCore.h"
#include "framework/WinThread.h"

class CCompare : public CWinThread {
    DECLARE_DYNCREATE(CCompare)
public:
    CCompare();
    ~CCompare() override;

    BOOL InitInstance() override;
    int Run() override;

    // Reports to the owner page (its parent sheet is told when the wizard may
    // finish), the copy, archive and save buttons (enabled when both files were
    // compared), and the result list. Any of them may be null.
    void SetTargets(CWnd* pPage, CWnd* pCopyButton, CWnd* pArchiveButton, CWnd* pSaveButton,
                    CListCtrl* pList);
    // Reports to another output (a test's record) instead.
    void SetOutput(CJobOutput* pOutput) { m_pOutput = pOutput; }
    // Replaces the two report paths with copies (allocated with new[]).
    void SetPaths(const char* path1, const char* path2);

    char* m_pszPath1; // first report as chosen; owned, freed with delete[]
    char* m_pszPath2; // second report as chosen; owned, freed with delete[]
    volatile BYTE m_bCancel;
    bool m_bLiteralSearch; // match with the literal search (tests)

private:
    CJobOutput* m_pOutput;
    CControlOutput m_controls;
};
