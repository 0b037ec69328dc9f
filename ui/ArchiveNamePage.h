// The archiving wizard's name page: the archive's path, proposed as the next
// numbered name in the archive folder ("Archives\Arc0000.zma"), or chosen with
// the "..." button. Next needs a name.
#pragma once

#include "framework/Edit.h"
#include "ui/WizardPage.h"

class CArchiveNamePage : public CWizardPage {
public:
    CArchiveNamePage();

    // The name as the edit holds it (at most MAX_PATH - 1 characters).
    const char* GetName() const { return m_szName; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnNameChanged();
    void OnBrowse();

    CEdit m_Name;
    char m_szName[MAX_PATH];
};
