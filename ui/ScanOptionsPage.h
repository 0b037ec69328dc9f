// The scanning wizard's options page (custom type): one box per ScanFlags
// byte. The boxes always show the flags the scan will use (going back to the
// type page re-applies the custom type, which clears them). Sub-options are
// enabled only with their section's box; the note of the running family is
// shown.
#pragma once

#include "framework/Button.h"
#include "ui/WizardPage.h"

class CScanOptionsPage : public CWizardPage {
public:
    CScanOptionsPage();

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnBoxClicked(UINT id);
    void ShowFlags();

    CButton m_Boxes[8]; // in ScanFlags order
};
