#include "ui/ScanProgressPage.h"

#include "res/resource.h"
#include "scan/Scan.h"
#include "ui/ScanReportFilePage.h"

CScanProgressPage::CScanProgressPage(const CScanReportFilePage* pReportFilePage)
    : CProgressPage(IDD_SCAN_PROGRESS, RUNTIME_CLASS(CScan), &CSettings::ScanThreadPriority, LIST_STEPS),
      m_pReportFilePage(pReportFilePage)
{
}

BOOL CScanProgressPage::OnInitDialog()
{
    CProgressPage::OnInitDialog();
    AttachDlgItem(m_Current, IDC_SCAN_CURRENT);
    return TRUE;
}

volatile BYTE* CScanProgressPage::PrepareEngine(CWinThread* pEngine)
{
    CScan* scan = static_cast<CScan*>(pEngine);
    scan->SetReportPath(m_pReportFilePage->GetPath());
    scan->SetTargets(this, &m_List, &m_Current);
    return &scan->m_bCancel;
}
