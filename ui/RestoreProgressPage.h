// The restoring wizard's last page: CRestore puts back the ticked records of
// the archive, with its lines in the list, the current item and its progress.
#pragma once

#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include "ui/ProgressPage.h"

class CRestoreProgressPage : public CProgressPage {
public:
    CRestoreProgressPage();

protected:
    BOOL OnInitDialog() override;
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override;

    CStatic m_Current, m_Percent;
    CProgressCtrl m_Bar;
};
