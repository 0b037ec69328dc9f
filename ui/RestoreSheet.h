// The restoring wizard: welcome, archive, contents, options and progress pages.
// The contents page turns the ticks into the restore job of CRestore, which the
// progress page runs.
#pragma once

#include "ui/RestoreArchivePage.h"
#include "ui/RestoreContentsPage.h"
#include "ui/RestoreOptionsPage.h"
#include "ui/RestoreProgressPage.h"
#include "ui/RestoreWelcomePage.h"
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
