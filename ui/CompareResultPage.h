// The comparing wizard's last page: CCompare lists the differences of the two
// reports; then the list can be copied to the clipboard, saved as a log, or
// handed to the archiving wizard, which opens over this one preloaded with the
// created and changed items.
#pragma once

#include "framework/Button.h"
#include "ui/ProgressPage.h"

#include <string>

class CArchiveSheet;
class CCompareFilesPage;

class CCompareResultPage : public CProgressPage {
public:
    CCompareResultPage(const CCompareFilesPage* pFilesPage, CArchiveSheet* pArchiveSheet);

    // The list's lines, each followed by CR LF: the log file's bytes.
    std::string ListText() const;

protected:
    BOOL OnInitDialog() override;
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override;
    void OnCopy();
    void OnSave();
    void OnBackup();

    const CCompareFilesPage* m_pFilesPage;
    CArchiveSheet* m_pArchiveSheet;
    CButton m_Save, m_Copy, m_Backup;
};
