#include "ui/ArchiveTreePage.h"

#include "base/JobState.h"
#include "res/resource.h"

CArchiveTreePage::CArchiveTreePage()
    : CWizardPage(IDD_ARCHIVE_TREE), m_Selector(CTreeSelector::FOLDERS_AND_FILES)
{
    for (UINT id : {IDC_FOLDER_TREE, IDC_KEY_TREE}) {
        RouteNotify(id, TVN_ITEMEXPANDINGA, &CArchiveTreePage::OnTreeNotify);
        RouteNotify(id, TVN_ITEMEXPANDINGW, &CArchiveTreePage::OnTreeNotify);
        RouteNotify(id, NM_CUSTOMDRAW, &CArchiveTreePage::OnTreeNotify);
    }
}

BOOL CArchiveTreePage::OnInitDialog()
{
    AttachDlgItem(m_Folders, IDC_FOLDER_TREE);
    AttachDlgItem(m_Registry, IDC_KEY_TREE);
    m_Selector.SetTrees(&m_Folders, &m_Registry);
    m_Selector.FillRoots();
    return TRUE;
}

BOOL CArchiveTreePage::OnSetActive()
{
    if (g_bPresetSelection) {
        g_bPresetSelection = 0;
        m_Selector.CheckListedItems();
    }
    ShowState();
    return TRUE;
}

void CArchiveTreePage::ShowState()
{
    m_Folders.EnableWindow(ArchiveFlags[AF_FILES] != 0);
    m_Registry.EnableWindow(ArchiveFlags[AF_REGISTRY] != 0);
    bool complete =
        (ArchiveFlags[AF_FILES] && CTreeSelector::AnyChecked(m_Folders, m_Folders.GetRootItem())) ||
        (ArchiveFlags[AF_REGISTRY] && CTreeSelector::AnyChecked(m_Registry, m_Registry.GetRootItem()));
    ShowInputComplete(complete);
}

LRESULT CArchiveTreePage::OnTreeNotify(NMHDR* pnmh)
{
    bool changed = false;
    LRESULT result = m_Selector.OnTreeNotify(pnmh, &changed);
    if (changed)
        ShowState();
    return result;
}

LRESULT CArchiveTreePage::OnWizardNext()
{
    if (!m_Selector.CollectChecked()) {
        char text[256];
        wsprintfA(text, "Выбрано слишком много элементов: в архив можно включить не более %u "
                        "файлов и каталогов и не более %u ключей реестра.",
                  (unsigned)MAX_JOB_COUNT, (unsigned)MAX_JOB_COUNT);
        ::MessageBoxA(GetSheetWindow(), text, "Zelmora: Ошибка", MB_OK | MB_ICONERROR);
        return -1;
    }
    return 0;
}
