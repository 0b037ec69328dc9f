// The restoring wizard's contents page: the archive's files and registry as two
// check-box trees, loaded when the archive differs from the one shown last and
// afresh on each run. Next needs a tick and builds the restore job from the
// ticks; a damaged archive is said once, with what could be read shown, and an
// archive without its checksum file in a line below the trees.
#pragma once

#include "framework/Static.h"
#include "framework/TreeCtrl.h"
#include "ui/ArchiveContents.h"
#include "ui/TreeSelector.h"
#include "ui/WizardPage.h"

class CRestoreContentsPage : public CWizardPage {
public:
    CRestoreContentsPage();

    static const char kNoSums[];

    CTreeSelector m_Selector;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnTreeNotify(NMHDR* pnmh);
    void ShowButtons();

    CTreeCtrl m_Files;
    CTreeCtrl m_Keys;
    CStatic m_SumsNote; // says when the archive has no checksum file
    char m_szShown[MAX_PATH]; // the archive the trees show
};
