// The archiving wizard: welcome, type, (for the custom type: options, trees,)
// name and progress pages. The type page fills the job from the built-in lists
// of the running Windows family, or clears it for the user's own choice on the
// options and tree pages; the progress page writes the archive with CBackup.
// The comparing wizard opens it preloaded with the items a comparison found.
#pragma once

#include "ui/ArchiveNamePage.h"
#include "ui/ArchiveOptionsPage.h"
#include "ui/ArchiveProgressPage.h"
#include "ui/ArchiveTreePage.h"
#include "ui/ArchiveTypePage.h"
#include "ui/ArchiveWelcomePage.h"
#include "ui/WizardSheet.h"

class CArchiveSheet : public CWizardSheet {
public:
    enum { TYPE_NORMAL = 0, TYPE_SETTINGS = 1, TYPE_DISK = 2, TYPE_CUSTOM = 3 };
    // The page index the preloaded start begins at (the options page).
    enum { OPTIONS_PAGE_INDEX = 2 };

    CArchiveSheet();

    // Sets ArchiveType and fills the job for it: the flags and the two lists of
    // a built-in type, or for the custom type no flags and empty lists. The
    // custom type brings the options and tree pages into the sheet, the others
    // take them out.
    void ApplyType(BYTE type);
    // Shows the wizard at its options page with the flags and lists the caller
    // prepared (key-list entries as root name + "\" + key path); the tree page
    // checks the items they name. Afterwards the wizard starts at its welcome
    // page again. pOwner: the window it is shown over (null: the main window).
    INT_PTR DoModalPreloaded(CWnd* pOwner = nullptr);

    CArchiveWelcomePage m_WelcomePage;
    CArchiveTypePage m_TypePage;
    CArchiveOptionsPage m_OptionsPage;
    CArchiveTreePage m_TreePage;
    CArchiveNamePage m_NamePage;
    CArchiveProgressPage m_ProgressPage;

private:
    void FillBuiltInLists(BYTE type);
};
