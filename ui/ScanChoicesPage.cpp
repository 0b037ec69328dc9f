#include "ui/ScanChoicesPage.h"

#include "base/JobState.h"
#include "res/resource.h"

#include <cstdio>

namespace {

struct RootBox {
    UINT id;
    DWORD root;
};
// In the order the key list is built; the sixth root is named by the family.
const RootBox kRootBoxes[CScanChoicesPage::ROOT_BOXES] = {
    {IDC_SCAN_HKCR, 0x80000000u}, {IDC_SCAN_HKCU, 0x80000001u}, {IDC_SCAN_HKLM, 0x80000002u},
    {IDC_SCAN_HKU, 0x80000003u},  {IDC_SCAN_HKCC, 0x80000005u}, {IDC_SCAN_HKDD, 0}};

enum Section { SETTINGS, DOS_9X, DOS_NT };
enum Base { WINDOWS_DIR, SYSTEM_DIR, ROOT };
struct FileBox {
    UINT id;
    Section section;
    Base base;
    const char* name;
};
// In the order the lists are built.
const FileBox kFileBoxes[CScanChoicesPage::FILE_BOXES] = {
    {IDC_SCAN_CONTROL_INI, SETTINGS, WINDOWS_DIR, "control.ini"},
    {IDC_SCAN_SYSTEM_INI, SETTINGS, WINDOWS_DIR, "system.ini"},
    {IDC_SCAN_WIN_INI, SETTINGS, WINDOWS_DIR, "win.ini"},
    {IDC_SCAN_WINSTART, DOS_9X, WINDOWS_DIR, "winstart.bat"},
    {IDC_SCAN_DOSSTART, DOS_9X, WINDOWS_DIR, "dosstart.bat"},
    {IDC_SCAN_AUTOEXEC_BAT, DOS_9X, ROOT, "C:\\autoexec.bat"},
    {IDC_SCAN_CONFIG_SYS, DOS_9X, ROOT, "C:\\config.sys"},
    {IDC_SCAN_MSDOS_SYS, DOS_9X, ROOT, "C:\\msdos.sys"},
    {IDC_SCAN_BOOT_INI, DOS_NT, ROOT, "C:\\boot.ini"},
    {IDC_SCAN_AUTOEXEC_NT, DOS_NT, SYSTEM_DIR, "autoexec.nt"},
    {IDC_SCAN_CONFIG_NT, DOS_NT, SYSTEM_DIR, "config.nt"},
};

DWORD SixthRoot() { return g_osFamily == OS_WIN9X ? 0x80000006u : 0x80000004u; }

bool SectionEnabled(Section section)
{
    bool nt = g_osFamily != OS_WIN9X;
    switch (section) {
    case SETTINGS: return ScanFlags[SF_SETTINGS_FILES] != 0;
    case DOS_9X: return ScanFlags[SF_DOS_FILES] && !nt;
    default: return ScanFlags[SF_DOS_FILES] && nt;
    }
}

} // namespace

CScanChoicesPage::CScanChoicesPage()
    : CWizardPage(IDD_SCAN_CHOICES), m_Selector(CTreeSelector::FOLDERS_ONLY)
{
    RouteNotify(IDC_SCAN_TREE, TVN_ITEMEXPANDINGA, &CScanChoicesPage::OnTreeNotify);
    RouteNotify(IDC_SCAN_TREE, TVN_ITEMEXPANDINGW, &CScanChoicesPage::OnTreeNotify);
    RouteNotify(IDC_SCAN_TREE, NM_CUSTOMDRAW, &CScanChoicesPage::OnTreeNotify);
    for (const RootBox& b : kRootBoxes)
        RouteCommand(b.id, BN_CLICKED, &CScanChoicesPage::OnBoxClicked);
    for (const FileBox& b : kFileBoxes)
        RouteCommand(b.id, BN_CLICKED, &CScanChoicesPage::OnBoxClicked);
}

BOOL CScanChoicesPage::OnInitDialog()
{
    AttachDlgItem(m_Tree, IDC_SCAN_TREE);
    for (int i = 0; i < ROOT_BOXES; i++)
        AttachDlgItem(m_Roots[i], kRootBoxes[i].id);
    for (int i = 0; i < FILE_BOXES; i++)
        AttachDlgItem(m_Files[i], kFileBoxes[i].id);
    // The template names the sixth root as the NT family has it.
    m_Roots[ROOT_BOXES - 1].SetWindowText(RootKeyName(SixthRoot(), g_osFamily));
    m_Selector.SetTrees(&m_Tree, nullptr);
    m_Selector.FillRoots();
    return TRUE;
}

BOOL CScanChoicesPage::OnSetActive()
{
    ShowState();
    return TRUE;
}

void CScanChoicesPage::ShowState()
{
    const bool directories = ScanFlags[SF_DIRECTORIES] != 0;
    const bool registry = ScanFlags[SF_REGISTRY] != 0;
    m_Tree.EnableWindow(directories);
    bool complete = directories && CTreeSelector::AnyChecked(m_Tree, m_Tree.GetRootItem());
    for (CButton& box : m_Roots) {
        box.EnableWindow(registry);
        complete = complete || (registry && box.GetCheck() == BST_CHECKED);
    }
    for (int i = 0; i < FILE_BOXES; i++) {
        bool enabled = SectionEnabled(kFileBoxes[i].section);
        m_Files[i].EnableWindow(enabled);
        complete = complete || (enabled && m_Files[i].GetCheck() == BST_CHECKED);
    }
    ShowInputComplete(complete);
}

LRESULT CScanChoicesPage::OnTreeNotify(NMHDR* pnmh)
{
    bool changed = false;
    LRESULT result = m_Selector.OnTreeNotify(pnmh, &changed);
    if (changed)
        ShowState();
    return result;
}

void CScanChoicesPage::OnBoxClicked(UINT) { ShowState(); }

LRESULT CScanChoicesPage::OnWizardNext()
{
    g_SettingsFiles.nCount = g_DosFiles.nCount = 0;
    if (!m_Selector.CollectFolders()) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "Выбрано слишком много каталогов: в отчет можно включить не более %u.",
                      (unsigned)MAX_JOB_COUNT);
        ::MessageBoxA(GetSheetWindow(), text, "Zelmora: Ошибка", MB_OK | MB_ICONERROR);
        return -1;
    }
    g_KeyList.nCount = 0;
    for (int i = 0; i < ROOT_BOXES; i++)
        if (m_Roots[i].GetCheck() == BST_CHECKED) {
            DWORD root = kRootBoxes[i].root ? kRootBoxes[i].root : SixthRoot();
            AddKeyItem(root, RootKeyName(root, g_osFamily), 1);
        }
    // The boxes are read as they stand, enabled or not: ScanFlags decide which
    // lists the scan uses.
    for (int i = 0; i < FILE_BOXES; i++) {
        if (m_Files[i].GetCheck() != BST_CHECKED)
            continue;
        const FileBox& b = kFileBoxes[i];
        const char* dir = b.base == WINDOWS_DIR ? g_szWindowsDir : b.base == SYSTEM_DIR ? g_szSystemDir : "";
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "%s%s", dir, b.name);
        AddFileListItem(b.section == SETTINGS ? g_SettingsFiles : g_DosFiles, path);
    }
    return 0;
}
