// The first page of a wizard: Next alone; with check box 1104 ("Закрыть все
// активные процессы") on at the moment of Next, every program of the session
// is ended first (a forced log-off). The box starts unchecked each run, as the
// template has it. The comparing wizard's welcome page has no box.
#pragma once

#include "framework/Button.h"
#include "ui/WizardPage.h"

class CWelcomePage : public CWizardPage {
public:
    explicit CWelcomePage(UINT nIDTemplate) : CWizardPage(nIDTemplate) {}

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

    CButton m_CloseAll;
};
