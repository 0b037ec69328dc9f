// The scanning wizard's choices page (custom type): the folder tree of
// directories only, six root-key boxes and eleven file boxes. Each group is
// enabled while its section is chosen on the options page (the DOS files of the
// running family only); Next needs one choice that counts and rebuilds the four
// lists from the page.
#pragma once

#include "framework/Button.h"
#include "framework/TreeCtrl.h"
#include "ui/TreeSelector.h"
#include "ui/WizardPage.h"

class CScanChoicesPage : public CWizardPage {
public:
    enum { ROOT_BOXES = 6, FILE_BOXES = 11 };

    CScanChoicesPage();

    CTreeSelector m_Selector;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnTreeNotify(NMHDR* pnmh);
    void OnBoxClicked(UINT id);
    void ShowState();

    CTreeCtrl m_Tree;
    CButton m_Roots[ROOT_BOXES];
    CButton m_Files[FILE_BOXES];
};
