// The restoring wizard's archive page: the archive's name in an editable combo
// box listing the archives of the page's folder (first the archive folder of
// the settings, then the folder of the last archive chosen with "..."). A full
// path typed into the box is used as it stands. Next needs a name and checks
// that the file is an archive.
#pragma once

#include "framework/ComboBox.h"
#include "ui/WizardPage.h"

class CRestoreArchivePage : public CWizardPage {
public:
    CRestoreArchivePage();

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    void OnTextEdited();
    void OnSelectionChanged();
    void OnBrowse();

    void FillList();
    void UseName(const char* name);

    CComboBox m_Name;
    char m_szFolder[MAX_PATH];
};
