#include "ui/ScanReportFilePage.h"

#include "base/FileNames.h"
#include "base/Settings.h"
#include "framework/FileDialog.h"
#include "res/resource.h"

#include <cstring>

CScanReportFilePage::CScanReportFilePage() : CWizardPage(IDD_SCAN_REPORT_FILE)
{
    m_szPath[0] = 0;
    RouteCommand(IDC_FILE_NAME, EN_CHANGE, &CScanReportFilePage::OnPathChanged);
    RouteCommand(IDC_FILE_BROWSE, BN_CLICKED, &CScanReportFilePage::OnBrowse);
}

BOOL CScanReportFilePage::OnInitDialog()
{
    AttachDlgItem(m_Path, IDC_FILE_NAME);
    m_Path.SetLimitText(MAX_PATH - 1);
    char path[MAX_PATH];
    MakeNumberedName(path, "Rep", "zmr", GetSettings().ZMRFolder);
    m_Path.SetWindowText(path);
    OnPathChanged();
    return TRUE;
}

BOOL CScanReportFilePage::OnSetActive()
{
    OnPathChanged();
    return TRUE;
}

void CScanReportFilePage::OnPathChanged()
{
    if (m_Path.m_hWnd)
        m_Path.GetWindowText(m_szPath, MAX_PATH);
    ShowInputComplete(m_szPath[0] != 0);
}

void CScanReportFilePage::OnBrowse()
{
    const char* folder = GetSettings().ZMRFolder;
    size_t n = std::strlen(folder);
    char initial[MAX_PATH];
    wsprintfA(initial, "%s%s*.zmr", folder, n && folder[n - 1] != '\\' ? "\\" : "");
    CFileDialog dlg(TRUE, "zmr", initial, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "Файлы с отчетами|*.zmr|Все файлы|*.*||", this);
    dlg.SetTitle("Выбор файла с отчетом");
    if (dlg.DoModal() == IDOK)
        m_Path.SetWindowText(dlg.GetPathName());
}
