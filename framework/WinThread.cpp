#include "framework/WinThread.h"

#if defined(_WIN32) && !defined(_WIN64)
// The compiler's runtime (its exception unwinder and thread-local storage)
// makes its locks with CreateSemaphoreW, which Windows 95, 98 and ME do not
// implement. Every program of ours has this source, so the runtime's import of
// it is answered here, before the system library is searched, with the ANSI
// call that every system has (the runtime never names its semaphores).
static HANDLE WINAPI CreateSemaphoreUnnamed(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum,
                                            LPCWSTR name)
{
    if (name) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return ::CreateSemaphoreA(security, initial, maximum, nullptr);
}

extern "C" {
extern HANDLE(WINAPI* const g_pfnCreateSemaphoreW)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) asm(
    "__imp__CreateSemaphoreW@16");
HANDLE(WINAPI* const g_pfnCreateSemaphoreW)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) = &CreateSemaphoreUnnamed;
}
#endif

IMPLEMENT_DYNCREATE(CWinThread, CObject)

CWinThread::CWinThread() : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE) {}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize)
{
    DWORD id = 0;
    // Always created suspended so that m_hThread is set before the thread can end.
    HANDLE h = ::CreateThread(nullptr, nStackSize, &CWinThread::ThreadEntry, this,
                              CREATE_SUSPENDED, &id);
    if (!h)
        return FALSE;
    m_hThread = h;
    m_nThreadID = id;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(h);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::Run() { return 0; }

int CWinThread::ExitInstance() { return 0; }

DWORD WINAPI CWinThread::ThreadEntry(LPVOID param)
{
    CWinThread* self = static_cast<CWinThread*>(param);
    int code = 0;
    if (self->InitInstance())
        code = self->Run();
    else
        code = self->ExitInstance();
    if (self->m_bAutoDelete)
        delete self;
    return (DWORD)code;
}

CWinThread* AfxBeginThread(const CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags)
{
    if (!pThreadClass || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        return nullptr;
    CWinThread* thread = static_cast<CWinThread*>(pThreadClass->CreateObject());
    if (!thread)
        return nullptr;
    if (!thread->CreateThread(CREATE_SUSPENDED, nStackSize)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}
