#include "ui/RestoreProgressPage.h"

#include "base/JobState.h"
#include "res/resource.h"
#include "restore/Restore.h"

CRestoreProgressPage::CRestoreProgressPage()
    : CProgressPage(IDD_RESTORE_PROGRESS, RUNTIME_CLASS(CRestore), &CSettings::RestoreThreadPriority)
{
}

BOOL CRestoreProgressPage::OnInitDialog()
{
    CProgressPage::OnInitDialog();
    AttachDlgItem(m_Current, IDC_RESTORE_CURRENT);
    AttachDlgItem(m_Percent, IDC_PERCENT);
    AttachDlgItem(m_Bar, IDC_PROGRESS);
    return TRUE;
}

volatile BYTE* CRestoreProgressPage::PrepareEngine(CWinThread* pEngine)
{
    CRestore* restore = static_cast<CRestore*>(pEngine);
    restore->SetArchiveName(g_szArchiveName);
    restore->SetControls(this, &m_Current, &m_List, &m_Bar, &m_Percent);
    return &restore->m_bCancel;
}
