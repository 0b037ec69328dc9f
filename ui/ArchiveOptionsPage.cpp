#include "ui/ArchiveOptionsPage.h"

#include "base/JobState.h"
#include "res/resource.h"

namespace {
// The box of each ArchiveFlags byte, in flag order.
const UINT kBoxes[4] = {IDC_OPTION_FILES, IDC_OPTION_ATTRIBUTES, IDC_OPTION_TIMES,
                        IDC_OPTION_REGISTRY};
}

CArchiveOptionsPage::CArchiveOptionsPage() : CWizardPage(IDD_ARCHIVE_OPTIONS)
{
    for (UINT id : kBoxes)
        RouteCommand(id, BN_CLICKED, &CArchiveOptionsPage::OnBoxClicked);
}

BOOL CArchiveOptionsPage::OnInitDialog()
{
    for (int i = 0; i < 4; i++)
        AttachDlgItem(m_Boxes[i], kBoxes[i]);
    return TRUE;
}

BOOL CArchiveOptionsPage::OnSetActive()
{
    ShowFlags();
    return TRUE;
}

void CArchiveOptionsPage::ShowFlags()
{
    for (int i = 0; i < 4; i++)
        m_Boxes[i].SetCheck(ArchiveFlags[i] ? BST_CHECKED : BST_UNCHECKED);
    m_Boxes[AF_ATTRIBUTES].EnableWindow(ArchiveFlags[AF_FILES] != 0);
    m_Boxes[AF_TIMES].EnableWindow(ArchiveFlags[AF_FILES] != 0);
    ShowInputComplete(ArchiveFlags[AF_FILES] || ArchiveFlags[AF_REGISTRY]);
}

void CArchiveOptionsPage::OnBoxClicked(UINT id)
{
    for (int i = 0; i < 4; i++)
        if (kBoxes[i] == id)
            ArchiveFlags[i] = m_Boxes[i].GetCheck() == BST_CHECKED ? 1 : 0;
    ShowFlags();
}
