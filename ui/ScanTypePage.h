// The scanning wizard's type page: four radio buttons, one per scan type. A
// run starts with the normal type; activation and every click apply the type.
#pragma once

#include "framework/Button.h"
#include "ui/WizardPage.h"

class CScanSheet;

class CScanTypePage : public CWizardPage {
public:
    explicit CScanTypePage(CScanSheet* pSheet);

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnTypeClicked(UINT id);

    CScanSheet* m_pSheet;
    CButton m_Types[4]; // in the order of the types: 1016, 1038, 1017, 1018
};
