#include "ui/ArchiveNamePage.h"

#include "base/FileNames.h"
#include "base/Settings.h"
#include "framework/FileDialog.h"
#include "res/resource.h"

#include <cstring>

CArchiveNamePage::CArchiveNamePage() : CWizardPage(IDD_ARCHIVE_NAME)
{
    m_szName[0] = 0;
    RouteCommand(IDC_FILE_NAME, EN_CHANGE, &CArchiveNamePage::OnNameChanged);
    RouteCommand(IDC_FILE_BROWSE, BN_CLICKED, &CArchiveNamePage::OnBrowse);
}

BOOL CArchiveNamePage::OnInitDialog()
{
    AttachDlgItem(m_Name, IDC_FILE_NAME);
    m_Name.SetLimitText(MAX_PATH - 1);
    char name[MAX_PATH];
    MakeNumberedName(name, "Arc", "zma", GetSettings().ZMAFolder);
    m_Name.SetWindowText(name);
    OnNameChanged();
    return TRUE;
}

BOOL CArchiveNamePage::OnSetActive()
{
    OnNameChanged();
    return TRUE;
}

void CArchiveNamePage::OnNameChanged()
{
    if (m_Name.m_hWnd)
        m_Name.GetWindowText(m_szName, MAX_PATH);
    ShowInputComplete(m_szName[0] != 0);
}

void CArchiveNamePage::OnBrowse()
{
    const char* folder = GetSettings().ZMAFolder;
    size_t n = std::strlen(folder);
    char initial[MAX_PATH];
    wsprintfA(initial, "%s%s*.zma", folder, n && folder[n - 1] != '\\' ? "\\" : "");
    CFileDialog dlg(TRUE, "zma", initial, OFN_HIDEREADONLY, "ZM-архивы|*.zma|Все файлы|*.*||", this);
    dlg.SetTitle("Выбор архива");
    if (dlg.DoModal() == IDOK)
        m_Name.SetWindowText(dlg.GetPathName());
}
