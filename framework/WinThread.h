// Worker thread object. A thread is created suspended or running at a priority;
// its entry calls InitInstance, then Run when InitInstance succeeded, and the
// object deletes itself when the thread ends (unless m_bAutoDelete is cleared).
#pragma once

#include "framework/Object.h"

class CWinThread : public CObject {
    DECLARE_DYNCREATE(CWinThread)
public:
    CWinThread();
    ~CWinThread() override;

    // Creates the system thread (CREATE_SUSPENDED or 0); stack 0 is the default.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int nPriority);
    int GetThreadPriority();

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;

private:
    static DWORD WINAPI ThreadEntry(LPVOID param);
};

// Creates an object of the recorded class and starts it as a thread at the given
// priority; with CREATE_SUSPENDED the caller resumes it. Returns null on failure.
CWinThread* AfxBeginThread(const CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0);
