#include "ui/RestoreContentsPage.h"

#include "base/ArchiveSums.h"
#include "base/JobState.h"
#include "res/resource.h"

#include <cstdio>
#include <cstring>

const char CRestoreContentsPage::kNoSums[] =
    "У архива нет файла контрольных сумм: порча данных внутри файлов не будет замечена.";

CRestoreContentsPage::CRestoreContentsPage() : CWizardPage(IDD_RESTORE_CONTENTS)
{
    m_szShown[0] = 0;
    for (UINT id : {IDC_FOLDER_TREE, IDC_KEY_TREE}) {
        RouteNotify(id, NM_CUSTOMDRAW, &CRestoreContentsPage::OnTreeNotify);
    }
}

BOOL CRestoreContentsPage::OnInitDialog()
{
    AttachDlgItem(m_Files, IDC_FOLDER_TREE);
    AttachDlgItem(m_Keys, IDC_KEY_TREE);
    AttachDlgItem(m_SumsNote, IDC_SUMS_NOTE);
    m_Selector.LoadImages();
    m_Files.SetImageList(m_Selector.GetImageList());
    m_Keys.SetImageList(m_Selector.GetImageList());
    // The trees are new in each run: load them whatever was shown before.
    m_szShown[0] = 0;
    return TRUE;
}

BOOL CRestoreContentsPage::OnSetActive()
{
    if (std::strcmp(m_szShown, g_szArchiveName) != 0) {
        lstrcpynA(m_szShown, g_szArchiveName, MAX_PATH);
        CArchiveContents contents(m_Selector);
        if (!contents.Load(g_szArchiveName, m_Files, m_Keys))
            ::MessageBoxA(GetSheetWindow(),
                          "Архив поврежден: показано только то, что удалось прочитать.",
                          "Zelmora: Ошибка", MB_OK | MB_ICONERROR);
        // Once per archive shown: without its checksum file, a block whose bytes
        // changed would go unnoticed.
        CArchiveSums sums;
        m_SumsNote.SetWindowText(sums.Load(g_szArchiveName) == CArchiveSums::NONE ? kNoSums : "");
    }
    ShowButtons();
    return TRUE;
}

void CRestoreContentsPage::ShowButtons()
{
    ShowInputComplete(CTreeSelector::AnyChecked(m_Files, m_Files.GetRootItem()) ||
                      CTreeSelector::AnyChecked(m_Keys, m_Keys.GetRootItem()));
}

LRESULT CRestoreContentsPage::OnTreeNotify(NMHDR* pnmh)
{
    bool changed = false;
    LRESULT result = m_Selector.OnTreeNotify(pnmh, &changed);
    if (changed)
        ShowButtons();
    return result;
}

LRESULT CRestoreContentsPage::OnWizardNext()
{
    if (CArchiveContents::BuildJob(m_Files, m_Keys))
        return 0;
    char text[200];
    std::snprintf(text, sizeof text,
                  "Отмечено слишком много элементов: за один раз можно восстановить не более %u "
                  "файлов и каталогов и %u ключей и значений реестра.",
                  (unsigned)MAX_JOB_COUNT, (unsigned)MAX_JOB_COUNT);
    ::MessageBoxA(GetSheetWindow(), text, "Zelmora: Ошибка", MB_OK | MB_ICONERROR);
    return -1;
}
