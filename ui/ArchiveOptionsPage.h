// The archiving wizard's options page (custom type): one box per ArchiveFlags
// byte. The attribute and time boxes are enabled only with the files box on
// (they keep their flags while it is off); Next needs files or registry.
#pragma once

#include "framework/Button.h"
#include "ui/WizardPage.h"

class CArchiveOptionsPage : public CWizardPage {
public:
    CArchiveOptionsPage();

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnBoxClicked(UINT id);
    void ShowFlags();

    CButton m_Boxes[4]; // files, attributes, times, registry
};
