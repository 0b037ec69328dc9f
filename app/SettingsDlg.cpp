#include "app/SettingsDlg.h"

#include "framework/FileDialog.h"
#include "framework/FolderDialog.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

// Each priority list and the setting it shows.
struct PriorityField {
    UINT listId;
    int CSettings::*value;
};
const PriorityField kPriorityFields[CSettingsDlg::PRIORITIES] = {
    {IDC_BACKUP_PRIORITY, &CSettings::BackupThreadPriority},
    {IDC_RESTORE_PRIORITY, &CSettings::RestoreThreadPriority},
    {IDC_SCAN_PRIORITY, &CSettings::ScanThreadPriority},
    {IDC_COMPARE_PRIORITY, &CSettings::CompareThreadPriority},
};

// Each path edit, the "..." button that fills it and the setting it shows.
struct PathField {
    UINT editId;
    UINT browseId;
    char (CSettings::*text)[MAX_PATH];
};
const PathField kPathFields[CSettingsDlg::PATHS] = {
    {IDC_EDITOR_PATH, IDC_EDITOR_BROWSE, &CSettings::WinSErPath},
    {IDC_ZMA_FOLDER, IDC_ZMA_BROWSE, &CSettings::ZMAFolder},
    {IDC_ZMR_FOLDER, IDC_ZMR_BROWSE, &CSettings::ZMRFolder},
    {IDC_LOG_FOLDER, IDC_LOG_BROWSE, &CSettings::LOGFolder},
};
const int kEditorPath = 0; // the entry of kPathFields that is no folder

int PriorityIndex(UINT listId)
{
    for (int i = 0; i < CSettingsDlg::PRIORITIES; ++i)
        if (kPriorityFields[i].listId == listId)
            return i;
    return -1;
}

int PathIndexOfEdit(UINT editId)
{
    for (int i = 0; i < CSettingsDlg::PATHS; ++i)
        if (kPathFields[i].editId == editId)
            return i;
    return -1;
}

int PathIndexOfBrowse(UINT browseId)
{
    for (int i = 0; i < CSettingsDlg::PATHS; ++i)
        if (kPathFields[i].browseId == browseId)
            return i;
    return -1;
}

} // namespace

CSettingsDlg::CSettingsDlg(CSettings& settings, CWnd* menuWindow)
    : CDialog(IDD_SETTINGS, menuWindow), m_pMenuWnd(menuWindow), m_Settings(settings)
{
    for (const PriorityField& f : kPriorityFields)
        RouteCommand(f.listId, CBN_SELCHANGE, &CSettingsDlg::OnPriorityChange);
    for (const PathField& f : kPathFields)
        RouteCommand(f.editId, EN_CHANGE, &CSettingsDlg::OnPathChange);
    RouteCommand(kPathFields[kEditorPath].browseId, BN_CLICKED, &CSettingsDlg::OnBrowseEditor);
    for (int i = 0; i < PATHS; ++i)
        if (i != kEditorPath)
            RouteCommand(kPathFields[i].browseId, BN_CLICKED, &CSettingsDlg::OnBrowseFolder);
}

BOOL CSettingsDlg::OnInitDialog()
{
    SetIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_MAIN)), TRUE);
    for (int i = 0; i < PRIORITIES; ++i) {
        AttachDlgItem(m_Priority[i], kPriorityFields[i].listId);
        for (const char* name : g_PriorityNames)
            m_Priority[i].AddString(name);
    }
    for (int i = 0; i < PATHS; ++i) {
        AttachDlgItem(m_Path[i], kPathFields[i].editId);
        m_Path[i].SetLimitText(MAX_PATH - 1);
    }
    return TRUE;
}

void CSettingsDlg::OnShowWindow(BOOL show, UINT status)
{
    Default();
    if (show)
        ShowSettings();
}

void CSettingsDlg::ShowSettings()
{
    for (int i = 0; i < PRIORITIES; ++i)
        m_Priority[i].SetCurSel(PriorityChoice(m_Settings.*kPriorityFields[i].value));
    // Each text set here arrives as a change, which reads the edit back into
    // its setting and saves: the texts are set from copies, never from the
    // very settings that are being rewritten.
    char text[PATHS][MAX_PATH];
    for (int i = 0; i < PATHS; ++i)
        lstrcpynA(text[i], m_Settings.*kPathFields[i].text, MAX_PATH);
    for (int i = 0; i < PATHS; ++i)
        m_Path[i].SetWindowText(text[i]);
}

// Enter in an edit would end the dialog through IDOK; the dialog only closes
// through its close box (IDCANCEL).
void CSettingsDlg::OnOK() {}

void CSettingsDlg::OnPriorityChange(UINT id)
{
    int i = PriorityIndex(id);
    if (i < 0)
        return;
    m_Settings.*kPriorityFields[i].value = PriorityValue(m_Priority[i].GetCurSel());
    m_Settings.Save();
}

void CSettingsDlg::OnPathChange(UINT id)
{
    int i = PathIndexOfEdit(id);
    if (i < 0)
        return;
    m_Path[i].GetWindowText(m_Settings.*kPathFields[i].text, MAX_PATH);
    if (i == kEditorPath)
        UpdateEditorCommand();
    m_Settings.Save();
}

void CSettingsDlg::UpdateEditorCommand() const
{
    if (!m_pMenuWnd || !m_pMenuWnd->m_hWnd)
        return;
    HMENU menu = ::GetMenu(m_pMenuWnd->m_hWnd);
    if (!menu)
        return;
    ::EnableMenuItem(menu, ID_APP_SETTINGSEDITOR,
                     MF_BYCOMMAND | (m_Settings.WinSErPath[0] ? MF_ENABLED : MF_GRAYED));
    ::DrawMenuBar(m_pMenuWnd->m_hWnd);
}

void CSettingsDlg::OnBrowseEditor()
{
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "Программы|*.exe|Все файлы|*.*||", this);
    dlg.SetTitle("Редактор настроек Windows");
    if (dlg.DoModal() == IDOK)
        m_Path[kEditorPath].SetWindowText(dlg.GetPathName());
}

void CSettingsDlg::OnBrowseFolder(UINT id)
{
    int i = PathIndexOfBrowse(id);
    if (i < 0)
        return;
    CFolderDialog dlg(nullptr, m_Settings.*kPathFields[i].text, this);
    if (dlg.DoModal() == IDOK)
        m_Path[i].SetWindowText(dlg.GetFolderPath());
}
