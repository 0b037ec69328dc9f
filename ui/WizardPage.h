// A page of a wizard: the button rules every wizard follows. The buttons are
// always posted to the sheet (PSM_SETWIZBUTTONS), never sent: a page may set
// them from inside the sheet's own notifications.
#pragma once

#include "framework/PropertyPage.h"

class CWizardPage : public CPropertyPage {
public:
    explicit CWizardPage(UINT nIDTemplate) : CPropertyPage(nIDTemplate) {}

protected:
    // A middle page: Back and Next when its input is complete, Back alone
    // otherwise; on activation and after every change of the input.
    void ShowInputComplete(bool complete) const
    {
        SetWizardButtons(complete ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
    }
};
