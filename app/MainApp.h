// The application object. Its constructor enables the shutdown privilege;
// InitInstance reads the command line and either restores one archive
// unattended (/autorun, optionally rebooting afterwards) or prepares the
// process-wide paths and settings and opens the main window.
#pragma once

#include "app/CommandLine.h"
#include "base/Settings.h"
#include "framework/WinApp.h"

class CMainWnd;

class CMainApp : public CWinApp {
public:
    CMainApp();
    ~CMainApp() override;

    BOOL InitInstance() override;

    char m_szStartDir[MAX_PATH];
    CSettings m_Settings;
    CCommandLine m_CommandLine;
    CMainWnd* m_pMainFrame;

private:
    void UnattendedRestore();
    void NormalStart();
};
