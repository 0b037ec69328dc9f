#include "ui/ScanOptionsPage.h"

#include "base/JobState.h"
#include "res/resource.h"

namespace {
// The box of each ScanFlags byte, in flag order.
const UINT kBoxes[8] = {IDC_SCAN_DIRECTORIES, IDC_SCAN_SIZES, IDC_SCAN_ATTRIBUTES,
                        IDC_SCAN_CREATION,    IDC_SCAN_REGISTRY, IDC_SCAN_VALUES,
                        IDC_SCAN_SETTINGS,    IDC_SCAN_DOS};
}

CScanOptionsPage::CScanOptionsPage() : CWizardPage(IDD_SCAN_OPTIONS)
{
    for (UINT id : kBoxes)
        RouteCommand(id, BN_CLICKED, &CScanOptionsPage::OnBoxClicked);
}

BOOL CScanOptionsPage::OnInitDialog()
{
    for (int i = 0; i < 8; i++)
        AttachDlgItem(m_Boxes[i], kBoxes[i]);
    bool nt = g_osFamily != OS_WIN9X;
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SCAN_NOTE_9X), nt ? SW_HIDE : SW_SHOW);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SCAN_NOTE_NT), nt ? SW_SHOW : SW_HIDE);
    return TRUE;
}

BOOL CScanOptionsPage::OnSetActive()
{
    ShowFlags();
    return TRUE;
}

void CScanOptionsPage::ShowFlags()
{
    for (int i = 0; i < 8; i++)
        m_Boxes[i].SetCheck(ScanFlags[i] ? BST_CHECKED : BST_UNCHECKED);
    const bool directories = ScanFlags[SF_DIRECTORIES] != 0;
    const bool registry = ScanFlags[SF_REGISTRY] != 0;
    for (int i : {SF_SIZES, SF_ATTRIBUTES, SF_CREATION_TIMES})
        m_Boxes[i].EnableWindow(directories);
    m_Boxes[SF_VALUES].EnableWindow(registry);
    bool complete = directories || registry || ScanFlags[SF_SETTINGS_FILES] || ScanFlags[SF_DOS_FILES];
    ShowInputComplete(complete);
}

void CScanOptionsPage::OnBoxClicked(UINT id)
{
    for (int i = 0; i < 8; i++)
        if (kBoxes[i] == id)
            ScanFlags[i] = m_Boxes[i].GetCheck() == BST_CHECKED ? 1 : 0;
    ShowFlags();
}
