#include "ui/WelcomePage.h"

#include "base/SystemCalls.h"
#include "res/resource.h"

BOOL CWelcomePage::OnInitDialog()
{
    AttachDlgItem(m_CloseAll, IDC_CLOSE_ALL); // absent on the comparing wizard's page
    return TRUE;
}

BOOL CWelcomePage::OnSetActive()
{
    SetWizardButtons(PSWIZB_NEXT);
    return TRUE;
}

LRESULT CWelcomePage::OnWizardNext()
{
    if (m_CloseAll.m_hWnd && m_CloseAll.GetCheck() == BST_CHECKED)
        CloseAllActiveProcesses();
    return 0;
}
