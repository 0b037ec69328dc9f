// The comparing wizard's selection page: two report names in editable combo
// boxes, both relative to one folder (first the report folder of the settings,
// then the folder of the last report chosen with "..."), the lists filled with
// that folder's reports. Next needs two different names and checks that both
// files are reports. A full path typed into a box is used as it stands.
#pragma once

#include "framework/ComboBox.h"
#include "ui/WizardPage.h"

#include <string>

class CCompareFilesPage : public CWizardPage {
public:
    CCompareFilesPage();

    // The two reports as the job names them.
    std::string FirstPath() const { return PathOf(m_szNames[0]); }
    std::string SecondPath() const { return PathOf(m_szNames[1]); }
    const char* GetFolder() const { return m_szFolder; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    void OnTextEdited(UINT id);
    void OnSelectionChanged(UINT id);
    void OnBrowse(UINT id);

    void FillLists();
    void ShowButtons() const;
    std::string PathOf(const char* name) const;

    CComboBox m_Boxes[2];
    char m_szFolder[MAX_PATH];
    char m_szNames[2][MAX_PATH];
};
