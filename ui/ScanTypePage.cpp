#include "ui/ScanTypePage.h"

#include "base/JobState.h"
#include "res/resource.h"
#include "ui/ScanSheet.h"

namespace {
const UINT kTypeButtons[4] = {IDC_SCAN_TYPE_NORMAL, IDC_SCAN_TYPE_REDUCED, IDC_SCAN_TYPE_FULL,
                               IDC_SCAN_TYPE_CUSTOM};
}

CScanTypePage::CScanTypePage(CScanSheet* pSheet) : CWizardPage(IDD_SCAN_TYPE), m_pSheet(pSheet)
{
    for (UINT id : kTypeButtons)
        RouteCommand(id, BN_CLICKED, &CScanTypePage::OnTypeClicked);
}

BOOL CScanTypePage::OnInitDialog()
{
    for (int i = 0; i < 4; i++)
        AttachDlgItem(m_Types[i], kTypeButtons[i]);
    // Every run starts with the normal type.
    ScanType = CScanSheet::TYPE_NORMAL;
    return TRUE;
}

BOOL CScanTypePage::OnSetActive()
{
    BYTE type = ScanType <= CScanSheet::TYPE_CUSTOM ? ScanType : (BYTE)CScanSheet::TYPE_NORMAL;
    for (int i = 0; i < 4; i++)
        m_Types[i].SetCheck(i == type ? BST_CHECKED : BST_UNCHECKED);
    m_pSheet->ApplyType(type);
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

void CScanTypePage::OnTypeClicked(UINT id)
{
    for (BYTE type = 0; type < 4; type++)
        if (kTypeButtons[type] == id)
            m_pSheet->ApplyType(type);
}
