// The scanning wizard's report file page: the report's path, proposed as the
// next numbered name in the report folder ("Reports\Rep0000.zmr"), or chosen
// with the "..." button. Next needs a path.
#pragma once

#include "framework/Edit.h"
#include "ui/WizardPage.h"

class CScanReportFilePage : public CWizardPage {
public:
    CScanReportFilePage();

    // The path as the edit holds it (at most MAX_PATH - 1 characters).
    const char* GetPath() const { return m_szPath; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnPathChanged();
    void OnBrowse();

    CEdit m_Path;
    char m_szPath[MAX_PATH];
};
