#include "ui/RestoreOptionsPage.h"

#include "base/JobState.h"
#include "res/resource.h"

namespace {
const UINT kBoxes[4] = {IDC_RESTORE_ATTRIBUTES, IDC_RESTORE_TIMES, IDC_RESTORE_CLEAR,
                        IDC_RESTORE_OVERWRITE};
BYTE* const kOptions[4] = {&g_bRestoreAttributes, &g_bRestoreTimes, &g_bClearFolders,
                           &g_bOverwriteFiles};
const char* const kTypes[4] = {"Обычный", "Восстановление системы из Windows",
                               "Восстановление системы из DOS", "Выбирается пользователем"};
} // namespace

CRestoreOptionsPage::CRestoreOptionsPage() : CWizardPage(IDD_RESTORE_OPTIONS)
{
    RouteCommand(IDC_RESTORE_TYPE, LBN_SELCHANGE, &CRestoreOptionsPage::OnTypeChanged);
    for (UINT id : kBoxes)
        RouteCommand(id, BN_CLICKED, &CRestoreOptionsPage::OnBoxClicked);
}

BOOL CRestoreOptionsPage::OnInitDialog()
{
    AttachDlgItem(m_Types, IDC_RESTORE_TYPE);
    for (int i = 0; i < 4; i++)
        AttachDlgItem(m_Boxes[i], kBoxes[i]);
    for (const char* type : kTypes)
        m_Types.SendMessage(LB_ADDSTRING, 0, (LPARAM)type);
    m_Types.SendMessage(LB_SETCURSEL, TYPE_USER);
    return TRUE;
}

BOOL CRestoreOptionsPage::OnSetActive()
{
    ApplyType();
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

void CRestoreOptionsPage::OnTypeChanged() { ApplyType(); }

void CRestoreOptionsPage::ApplyType()
{
    int type = (int)m_Types.SendMessage(LB_GETCURSEL);
    if (type >= TYPE_NORMAL && type < TYPE_USER) {
        g_bRestoreAttributes = ArchiveFlags[AF_ATTRIBUTES] ? 1 : 0;
        g_bRestoreTimes = ArchiveFlags[AF_TIMES] ? 1 : 0;
        g_bClearFolders = type == TYPE_WINDOWS ? 1 : 0;
        g_bOverwriteFiles = 0;
    }
    for (int i = 0; i < 4; i++)
        m_Boxes[i].SetCheck(*kOptions[i] ? BST_CHECKED : BST_UNCHECKED);
    m_Boxes[0].EnableWindow(ArchiveFlags[AF_ATTRIBUTES] != 0);
    m_Boxes[1].EnableWindow(ArchiveFlags[AF_TIMES] != 0);
}

void CRestoreOptionsPage::OnBoxClicked(UINT id)
{
    for (int i = 0; i < 4; i++) {
        if (kBoxes[i] != id)
            continue;
        *kOptions[i] = m_Boxes[i].GetCheck() == BST_CHECKED ? 1 : 0;
        if (id == IDC_RESTORE_CLEAR && *kOptions[i])
            ::MessageBoxA(GetSheetWindow(),
                          "Внимание! Вы активизировали опцию \"Очищать каталоги перед восстановлением\". "
                          "При этом будут удалены все подкаталоги выбранных каталогов, вне зависимости, "
                          "присутствуют ли они в архиве или нет.",
                          "Zelmora: Предупреждение", MB_OK | MB_ICONEXCLAMATION);
    }
}
