// The restoring wizard's options page: four restore types and the four restore
// options they set; the attribute and time options only where the archive
// stores them. Ticking "Очищать каталоги перед восстановлением" by hand warns.
#pragma once

#include "framework/Button.h"
#include "ui/WizardPage.h"

class CRestoreOptionsPage : public CWizardPage {
public:
    enum { TYPE_NORMAL = 0, TYPE_WINDOWS = 1, TYPE_DOS = 2, TYPE_USER = 3 };

    CRestoreOptionsPage();

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnTypeChanged();
    void OnBoxClicked(UINT id);
    void ApplyType();

    CWnd m_Types;
    CButton m_Boxes[4]; // attributes, times, clear, overwrite
};
