#include "framework/WorkerThread.h"

CWorkerThread::CWorkerThread(std::function<void()> work) : m_work(std::move(work))
{
    m_bAutoDelete = FALSE;
}

CWorkerThread::~CWorkerThread() { Join(); }

BOOL CWorkerThread::Start(int nPriority)
{
    if (m_hThread || !CreateThread(CREATE_SUSPENDED))
        return FALSE;
    SetThreadPriority(nPriority);
    ResumeThread();
    return TRUE;
}

void CWorkerThread::Join()
{
    if (!m_hThread)
        return;
    ::WaitForSingleObject(m_hThread, INFINITE);
    ::CloseHandle(m_hThread);
    m_hThread = nullptr;
}

int CWorkerThread::Run()
{
    m_work();
    return 0;
}

std::unique_ptr<CWorkerThread> StartWorker(std::function<void()> work, int nPriority)
{
    std::unique_ptr<CWorkerThread> thread(new CWorkerThread(std::move(work)));
    if (!thread->Start(nPriority))
        return nullptr;
    return thread;
}
