#include "framework/WinThread.h"

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
