// The comparing wizard: welcome, selection of the two reports, and the result
// page where the comparison runs and its list is offered for copying, saving
// and archiving (through the archiving wizard given here).
#pragma once

#include "ui/CompareFilesPage.h"
#include "ui/CompareResultPage.h"
#include "ui/CompareWelcomePage.h"
#include "ui/WizardSheet.h"

class CArchiveSheet;

class CCompareSheet : public CWizardSheet {
public:
    explicit CCompareSheet(CArchiveSheet* pArchiveSheet);

    CCompareWelcomePage m_WelcomePage;
    CCompareFilesPage m_FilesPage;
    CCompareResultPage m_ResultPage;
};
