#include "ui/ProgressPage.h"

#include "framework/ProgressCtrl.h"
#include "framework/WinApp.h"
#include "res/resource.h"

CWinThread* CProgressPage::s_pEngine = nullptr;
volatile BYTE* CProgressPage::s_pCancel = nullptr;
CProgressPage* CProgressPage::s_pOwner = nullptr;

CProgressPage::CProgressPage(UINT nIDTemplate, const CRuntimeClass* pEngineClass,
                             int CSettings::*pPriority, ListStyle style)
    : CWizardPage(nIDTemplate), m_pEngineClass(pEngineClass), m_pPriority(pPriority),
      m_nListStyle(style)
{
}

CProgressPage::~CProgressPage()
{
    if (s_pOwner == this) {
        // The program is ending with the job still running: stop it first.
        if (IsEngineRunning() && s_pCancel)
            *s_pCancel = 1;
        WaitForWorker();
    }
}

CWinThread* CProgressPage::GetEngine() const { return s_pOwner == this ? s_pEngine : nullptr; }

bool CProgressPage::IsEngineRunning() const
{
    return s_pOwner == this && s_pEngine && s_pEngine->m_hThread &&
           ::WaitForSingleObject(s_pEngine->m_hThread, 0) == WAIT_TIMEOUT;
}

void CProgressPage::WaitForWorker()
{
    if (!s_pEngine)
        return;
    HANDLE thread = s_pEngine->m_hThread;
    while (thread) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1)
            break; // ended (or the wait failed: the handle is no use)
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Keep the quit for the loop that waits for it.
                ::PostQuitMessage((int)msg.wParam);
                ::WaitForSingleObject(thread, INFINITE);
                thread = nullptr;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    delete s_pEngine;
    s_pEngine = nullptr;
    s_pCancel = nullptr;
    s_pOwner = nullptr;
}

BOOL CProgressPage::OnInitDialog()
{
    AttachDlgItem(m_List, IDC_MESSAGES);
    RECT client = {};
    m_List.GetClientRect(&client);
    if (m_nListStyle == LIST_STEPS) {
        RECT window = {};
        m_List.GetWindowRect(&window);
        if (!m_StepImages.GetSafeHandle()) {
            m_StepImages.Create(16, 16, ILC_COLOR8 | ILC_MASK, 3, 0);
            const UINT bitmaps[3] = {IDB_STEP_RUNNING, IDB_STEP_DONE, IDB_STEP_PENDING};
            for (UINT id : bitmaps) {
                HBITMAP bmp = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id));
                if (bmp) {
                    m_StepImages.Add(bmp, RGB(255, 255, 255));
                    ::DeleteObject(bmp);
                }
            }
        }
        // The list view must not destroy the page's image list with itself.
        ::SetWindowLongPtrA(m_List.m_hWnd, GWL_STYLE, m_List.GetStyle() | LVS_SHAREIMAGELISTS);
        m_List.SetImageList(m_StepImages, LVSIL_SMALL);
        m_List.InsertColumn(0, "Список действий:", (window.right - window.left) - 4);
    } else {
        m_List.InsertColumn(0, "", 2 * (client.right - client.left));
    }
    CProgressCtrl item(::GetDlgItem(m_hWnd, IDC_PROGRESS));
    if (item.m_hWnd)
        item.SetRange(0, 10); // the current item advances in tenths
    if (HWND jobPercent = ::GetDlgItem(m_hWnd, IDC_JOB_PERCENT))
        ::SetWindowTextA(jobPercent, "0%");
    return TRUE;
}

BOOL CProgressPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_DISABLEDFINISH);
    StartEngine();
    return TRUE;
}

void CProgressPage::StartEngine()
{
    WaitForWorker();
    int priority = m_pPriority ? GetSettings().*m_pPriority : THREAD_PRIORITY_NORMAL;
    CWinThread* engine = AfxBeginThread(m_pEngineClass, priority, 0, CREATE_SUSPENDED);
    if (!engine)
        return;
    engine->m_bAutoDelete = FALSE;
    s_pEngine = engine;
    s_pOwner = this;
    s_pCancel = PrepareEngine(engine);
    engine->ResumeThread();
}

BOOL CProgressPage::OnWizardFinish() { return TRUE; }

void CProgressPage::OnCancel()
{
    if (IsEngineRunning() && s_pCancel)
        *s_pCancel = 1;
}
