// The scanning wizard's last page: CScan writes the report named on the report
// file page, its steps in the list with their images, the item being scanned
// below it.
#pragma once

#include "framework/Static.h"
#include "ui/ProgressPage.h"

class CScanReportFilePage;

class CScanProgressPage : public CProgressPage {
public:
    explicit CScanProgressPage(const CScanReportFilePage* pReportFilePage);

protected:
    BOOL OnInitDialog() override;
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override;

    const CScanReportFilePage* m_pReportFilePage;
    CStatic m_Current;
};
