// The archiving wizard's type page: four radio buttons, one per archive type;
// activation and every click apply the chosen type to the job.
#pragma once

#include "framework/Button.h"
#include "ui/WizardPage.h"

class CArchiveSheet;

class CArchiveTypePage : public CWizardPage {
public:
    explicit CArchiveTypePage(CArchiveSheet* pSheet);

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnTypeClicked(UINT id);

    CArchiveSheet* m_pSheet;
    CButton m_Types[4]; // in the order of the types: 1016, 1038, 1017, 1018
};
