#include "framework/WinApp.h"

namespace {
CWinApp* s_pApp = nullptr;
enum { MAX_MODELESS = 32 };
HWND s_modeless[MAX_MODELESS];
int s_nModeless = 0;
}

CWinApp::CWinApp()
    : m_hInstance(::GetModuleHandleA(nullptr)), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWDEFAULT),
      m_pMainWnd(nullptr), m_nExitCode(0)
{
    m_bAutoDelete = FALSE;
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nExitCode; }

void CWinApp::AddModeless(HWND hWnd)
{
    for (int i = 0; i < s_nModeless; ++i)
        if (s_modeless[i] == hWnd)
            return;
    if (s_nModeless < MAX_MODELESS)
        s_modeless[s_nModeless++] = hWnd;
}

void CWinApp::RemoveModeless(HWND hWnd)
{
    for (int i = 0; i < s_nModeless; ++i)
        if (s_modeless[i] == hWnd) {
            s_modeless[i] = s_modeless[--s_nModeless];
            return;
        }
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    for (int i = 0; i < s_nModeless; ++i) {
        HWND d = s_modeless[i];
        if ((msg->hwnd == d || ::IsChild(d, msg->hwnd)) && ::IsDialogMessageA(d, msg))
            return TRUE;
    }
    return FALSE;
}

int CWinApp::GetNextMessage(MSG* msg) { return (int)::GetMessageA(msg, nullptr, 0, 0); }

BOOL CWinApp::PumpMessage()
{
    MSG msg;
    int got = GetNextMessage(&msg);
    if (got == 0) {
        m_nExitCode = (int)msg.wParam; // the code given to PostQuitMessage
        return FALSE;
    }
    if (got < 0) {
        // Nothing was retrieved, so msg holds nothing to read. With no window
        // filter and a valid MSG, GetMessage fails only on a fault of the
        // thread's message queue, which every next call would meet again:
        // asking on would spin for ever, so the loop ends with an error code.
        m_nExitCode = EXIT_MESSAGE_ERROR;
        return FALSE;
    }
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return TRUE;
}

int CWinApp::Run()
{
    if (m_pMainWnd)
        while (PumpMessage()) {
        }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return s_pApp; }

CWnd* AfxGetMainWnd() { return s_pApp ? s_pApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle()
{
    return s_pApp && s_pApp->m_hInstance ? s_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HWND AfxGetOwnerWindow(const CWnd* pParent, const CWnd* pSelf)
{
    if (pParent && pParent->m_hWnd)
        return pParent->m_hWnd;
    const CWnd* main = AfxGetMainWnd();
    return main && main != pSelf ? main->m_hWnd : nullptr;
}

int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
