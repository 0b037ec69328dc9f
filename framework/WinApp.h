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
    // Retrieves and dispatches one message. False ends the loop: on WM_QUIT,
    // whose code becomes the exit code, and when no message can be retrieved,
    // which gives EXIT_MESSAGE_ERROR.
    BOOL PumpMessage();

    // Exit code of a message loop that ended because GetMessage failed.
    enum { EXIT_MESSAGE_ERROR = -1 };

    // Modeless dialogs whose keyboard messages the loop routes through IsDialogMessage.
    static void AddModeless(HWND hWnd);
    static void RemoveModeless(HWND hWnd);

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine; // the command line after the program name
    int m_nCmdShow;
    CWnd* m_pMainWnd;
    int m_nExitCode;

protected:
    // The thread's next message, answered as GetMessage does: positive for a
    // message, 0 for WM_QUIT, -1 when none could be retrieved.
    virtual int GetNextMessage(MSG* msg);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// The owner of a modal window (dialog, sheet, common dialog): the parent when it
// has a window, else the application's main window unless that is the modal
// window itself (pSelf); null when there is neither.
HWND AfxGetOwnerWindow(const CWnd* pParent, const CWnd* pSelf = nullptr);
// Entry of the program, called from WinMain.
int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);
