// The restoring wizard: welcome, archive, contents, options and progress pages.
// The contents page turns the ticks into the restore job of CRestore, which the
// progress page runs.
#pragma once

#include "restore/RestoreArchivePage.h"
#include "restore/RestoreContentsPage.h"
#include "restore/RestoreOptionsPage.h"
#include "restore/RestoreProgressPage.h"
#include "restore/RestoreWelcomePage.h"
#include "ui/WizardSheet.h"

class CRestoreSheet : public CWizardSheet {
public:
    CRestoreSheet();

    CRestoreWelcomePage m_WelcomePage;
    CRestoreArchivePage m_ArchivePage;
    CRestoreContentsPage m_ContentsPage;
    CRestoreOptionsPage m_OptionsPage;
    CRestoreProgressPage m_ProgressPage;
};
