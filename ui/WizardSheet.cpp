#include "ui/WizardSheet.h"

#include "ui/ProgressPage.h"

CWizardSheet* g_pArchiveSheet = nullptr;
CWizardSheet* g_pRestoreSheet = nullptr;
CWizardSheet* g_pScanSheet = nullptr;
CWizardSheet* g_pCompareSheet = nullptr;

CWizardSheet::CWizardSheet() : CPropertySheet("", nullptr, 0) { SetWizardMode(); }

INT_PTR CWizardSheet::DoModal()
{
    CProgressPage::WaitForWorker();
    return CPropertySheet::DoModal();
}
