// The application object: one per process, constructed as a global. WinMain
// hands over to AfxWinMain, which calls InitInstance and then Run, the message
// loop, which lasts until the main window is destroyed (or WM_QUIT arrives).
#pragma once

#include "framework/WinThread.h"
#include "framework/Wnd.h"

class CWinApp : public CWinThread {
public:
    CWinApp();
    ~CWinApp() override;

    BOOL InitInstance() override;
    // The message loop; returns ExitInstance's result. Without a main window it
    // returns at once.
    int Run() override;
    int ExitInstance() override;
    // Gives modeless dialogs their keyboard handling; true when the message was used.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Retrieves and dispatches one message; false on WM_QUIT.
    BOOL PumpMessage();

    // Modeless dialogs whose keyboard messages the loop routes through IsDialogMessage.
    static void AddModeless(HWND hWnd);
    static void RemoveModeless(HWND hWnd);

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine; // the command line after the program name
    int m_nCmdShow;
    CWnd* m_pMainWnd;
    int m_nExitCode;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Entry of the program, called from WinMain.
int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);
