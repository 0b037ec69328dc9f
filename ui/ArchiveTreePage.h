// The archiving wizard's tree page (custom type): the folder tree with files
// and the registry tree. Each tree is enabled while its flag is set; Next needs
// a checked item in a tree whose flag is set, and rebuilds both lists from the
// trees. Lists prepared by the comparing wizard check their items once.
#pragma once

#include "framework/TreeCtrl.h"
#include "ui/TreeSelector.h"
#include "ui/WizardPage.h"

class CArchiveTreePage : public CWizardPage {
public:
    CArchiveTreePage();

    CTreeSelector m_Selector;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnTreeNotify(NMHDR* pnmh);
    void ShowState();

    CTreeCtrl m_Folders;
    CTreeCtrl m_Registry;
};
