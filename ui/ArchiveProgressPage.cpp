#include "ui/ArchiveProgressPage.h"

#include "ui/ArchiveNamePage.h"
#include "backup/Backup.h"
#include "res/resource.h"

CArchiveProgressPage::CArchiveProgressPage(const CArchiveNamePage* pNamePage)
    : CProgressPage(IDD_ARCHIVE_PROGRESS, RUNTIME_CLASS(CBackup), &CSettings::BackupThreadPriority),
      m_pNamePage(pNamePage)
{
}

BOOL CArchiveProgressPage::OnInitDialog()
{
    CProgressPage::OnInitDialog();
    AttachDlgItem(m_Current, IDC_ARCHIVE_CURRENT);
    AttachDlgItem(m_ItemPercent, IDC_PERCENT);
    AttachDlgItem(m_ItemBar, IDC_PROGRESS);
    AttachDlgItem(m_JobPercent, IDC_JOB_PERCENT);
    AttachDlgItem(m_JobBar, IDC_JOB_PROGRESS);
    return TRUE;
}

volatile BYTE* CArchiveProgressPage::PrepareEngine(CWinThread* pEngine)
{
    CBackup* backup = static_cast<CBackup*>(pEngine);
    backup->SetArchivePath(m_pNamePage->GetName());
    backup->SetControls(this, &m_Current, &m_List, &m_ItemBar, &m_JobBar, &m_ItemPercent,
                        &m_JobPercent);
    return &backup->m_bCancel;
}
