#include "app/SettingsDlg.h"

#include "framework/ComboBox.h"
#include "framework/Edit.h"
#include "framework/FileDialog.h"
#include "framework/FolderDialog.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

const UINT kPriorityLists[4] = {IDC_BACKUP_PRIORITY, IDC_RESTORE_PRIORITY, IDC_SCAN_PRIORITY,
                                IDC_COMPARE_PRIORITY};
const UINT kEdits[4] = {IDC_EDITOR_PATH, IDC_ZMA_FOLDER, IDC_ZMR_FOLDER, IDC_LOG_FOLDER};

} // namespace

CSettingsDlg::CSettingsDlg(CSettings& settings, CWnd* menuWindow)
    : CDialog(IDD_SETTINGS, menuWindow), m_pMenuWnd(menuWindow), m_Settings(settings)
{
}

BOOL CSettingsDlg::OnInitDialog()
{
    SetIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_MAIN)), TRUE);
    for (UINT id : kPriorityLists) {
        CComboBox list(::GetDlgItem(m_hWnd, id));
        for (const char* name : g_PriorityNames)
            list.AddString(name);
    }
    for (UINT id : kEdits)
        CEdit(::GetDlgItem(m_hWnd, id)).SetLimitText(MAX_PATH - 1);
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
    const int values[4] = {m_Settings.BackupThreadPriority, m_Settings.RestoreThreadPriority,
                           m_Settings.ScanThreadPriority, m_Settings.CompareThreadPriority};
    for (int i = 0; i < 4; ++i)
        CComboBox(::GetDlgItem(m_hWnd, kPriorityLists[i])).SetCurSel(PriorityChoice(values[i]));
    // Each text set here arrives as a change and is saved like one.
    char text[4][MAX_PATH];
    lstrcpynA(text[0], m_Settings.WinSErPath, MAX_PATH);
    lstrcpynA(text[1], m_Settings.ZMAFolder, MAX_PATH);
    lstrcpynA(text[2], m_Settings.ZMRFolder, MAX_PATH);
    lstrcpynA(text[3], m_Settings.LOGFolder, MAX_PATH);
    for (int i = 0; i < 4; ++i)
        SetDlgItemText(kEdits[i], text[i]);
}

void CSettingsDlg::OnCommand(UINT id, UINT code, HWND hCtl)
{
    switch (id) {
    case IDC_BACKUP_PRIORITY:
    case IDC_RESTORE_PRIORITY:
    case IDC_SCAN_PRIORITY:
    case IDC_COMPARE_PRIORITY:
        if (code == CBN_SELCHANGE)
            OnPriorityChange(id);
        break;
    case IDC_EDITOR_PATH:
    case IDC_ZMA_FOLDER:
    case IDC_ZMR_FOLDER:
    case IDC_LOG_FOLDER:
        if (code == EN_CHANGE)
            OnEditChange(id);
        break;
    case IDC_EDITOR_BROWSE:
        if (code == BN_CLICKED)
            OnBrowseProgram();
        break;
    case IDC_ZMA_BROWSE:
    case IDC_ZMR_BROWSE:
    case IDC_LOG_BROWSE:
        if (code == BN_CLICKED)
            OnBrowseFolder(id - 1);
        break;
    default:
        CDialog::OnCommand(id, code, hCtl);
    }
}

// Enter in an edit would end the dialog through IDOK; the dialog only closes
// through its close box (IDCANCEL).
void CSettingsDlg::OnOK() {}

void CSettingsDlg::OnPriorityChange(UINT id)
{
    int value = PriorityValue(CComboBox(::GetDlgItem(m_hWnd, id)).GetCurSel());
    switch (id) {
    case IDC_BACKUP_PRIORITY: m_Settings.BackupThreadPriority = value; break;
    case IDC_RESTORE_PRIORITY: m_Settings.RestoreThreadPriority = value; break;
    case IDC_SCAN_PRIORITY: m_Settings.ScanThreadPriority = value; break;
    default: m_Settings.CompareThreadPriority = value; break;
    }
    m_Settings.Save();
}

void CSettingsDlg::OnEditChange(UINT id)
{
    char* field = id == IDC_EDITOR_PATH  ? m_Settings.WinSErPath
                  : id == IDC_ZMA_FOLDER ? m_Settings.ZMAFolder
                  : id == IDC_ZMR_FOLDER ? m_Settings.ZMRFolder
                                         : m_Settings.LOGFolder;
    GetDlgItemText(id, field, MAX_PATH);
    if (id == IDC_EDITOR_PATH)
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

void CSettingsDlg::OnBrowseProgram()
{
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "Программы|*.exe|Все файлы|*.*||", this);
    dlg.SetTitle("Редактор настроек Windows");
    if (dlg.DoModal() == IDOK)
        SetDlgItemText(IDC_EDITOR_PATH, dlg.GetPathName());
}

void CSettingsDlg::OnBrowseFolder(UINT editId)
{
    const char* current = editId == IDC_ZMA_FOLDER   ? m_Settings.ZMAFolder
                          : editId == IDC_ZMR_FOLDER ? m_Settings.ZMRFolder
                                                     : m_Settings.LOGFolder;
    CFolderDialog dlg(nullptr, current, this);
    if (dlg.DoModal() == IDOK)
        SetDlgItemText(editId, dlg.GetFolderPath());
}
