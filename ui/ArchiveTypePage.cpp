#include "ui/ArchiveTypePage.h"

#include "ui/ArchiveSheet.h"
#include "base/JobState.h"
#include "res/resource.h"

namespace {
const UINT kTypeButtons[4] = {IDC_TYPE_NORMAL, IDC_TYPE_SETTINGS, IDC_TYPE_DISK, IDC_TYPE_CUSTOM};
}

CArchiveTypePage::CArchiveTypePage(CArchiveSheet* pSheet)
    : CWizardPage(IDD_ARCHIVE_TYPE), m_pSheet(pSheet)
{
    for (UINT id : kTypeButtons)
        RouteCommand(id, BN_CLICKED, &CArchiveTypePage::OnTypeClicked);
}

BOOL CArchiveTypePage::OnInitDialog()
{
    for (int i = 0; i < 4; i++)
        AttachDlgItem(m_Types[i], kTypeButtons[i]);
    return TRUE;
}

BOOL CArchiveTypePage::OnSetActive()
{
    BYTE type = ArchiveType <= CArchiveSheet::TYPE_CUSTOM ? ArchiveType : (BYTE)CArchiveSheet::TYPE_NORMAL;
    for (int i = 0; i < 4; i++)
        m_Types[i].SetCheck(i == type ? BST_CHECKED : BST_UNCHECKED);
    m_pSheet->ApplyType(type);
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

void CArchiveTypePage::OnTypeClicked(UINT id)
{
    for (BYTE type = 0; type < 4; type++)
        if (kTypeButtons[type] == id)
            m_pSheet->ApplyType(type);
}
