// A wizard: a property sheet in wizard mode, with an empty caption of its own
// (each page's template caption is the title while it is shown), no parent
// (the main window owns it while it runs) and start page 0. One object lives as
// long as the main window; each run shows it modally with its pages created
// afresh. A run never begins while the worker of an earlier run is still
// ending.
#pragma once

#include "framework/PropertySheet.h"

class CWizardSheet : public CPropertySheet {
public:
    CWizardSheet();

    INT_PTR DoModal() override;
};

// The four wizards of the main window, for the pages that address their sheet;
// set by the main dialog, which owns them.
extern CWizardSheet* g_pArchiveSheet;
extern CWizardSheet* g_pRestoreSheet;
extern CWizardSheet* g_pScanSheet;
extern CWizardSheet* g_pCompareSheet;
