// The archiving wizard's last page: CBackup writes the archive named on the
// name page, with its log in the list, the current file, and the bars of the
// file and of the whole job.
#pragma once

#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include "ui/ProgressPage.h"

class CArchiveNamePage;

class CArchiveProgressPage : public CProgressPage {
public:
    explicit CArchiveProgressPage(const CArchiveNamePage* pNamePage);

protected:
    BOOL OnInitDialog() override;
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override;

    const CArchiveNamePage* m_pNamePage;
    CStatic m_Current, m_ItemPercent, m_JobPercent;
    CProgressCtrl m_ItemBar, m_JobBar;
};
