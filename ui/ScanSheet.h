// The scanning wizard: welcome, type, (for the custom type: options, choices,)
// report file and progress pages. The type page fills the job (ScanFlags and
// the four lists) from the built-in table of the running family, or clears it
// for the user's own choice; the progress page writes the report with CScan.
#pragma once

#include "ui/ScanChoicesPage.h"
#include "ui/ScanOptionsPage.h"
#include "ui/ScanProgressPage.h"
#include "ui/ScanReportFilePage.h"
#include "ui/ScanTypePage.h"
#include "ui/ScanWelcomePage.h"
#include "ui/WizardSheet.h"

class CScanSheet : public CWizardSheet {
public:
    enum { TYPE_NORMAL = 0, TYPE_REDUCED = 1, TYPE_FULL = 2, TYPE_CUSTOM = 3 };

    CScanSheet();

    // Sets ScanType and fills the job for it; the custom type brings the
    // options and choices pages into the sheet, the others take them out.
    void ApplyType(BYTE type);

    CScanWelcomePage m_WelcomePage;
    CScanTypePage m_TypePage;
    CScanOptionsPage m_OptionsPage;
    CScanChoicesPage m_ChoicesPage;
    CScanReportFilePage m_ReportFilePage;
    CScanProgressPage m_ProgressPage;
};
