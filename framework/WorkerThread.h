// A thread that runs one function and belongs to its owner: the owner waits
// for its end with Join (destroying the object waits too), so the function may
// use whatever the owner keeps alive until then.
#pragma once

#include "framework/WinThread.h"

#include <functional>
#include <memory>

class CWorkerThread : public CWinThread {
public:
    explicit CWorkerThread(std::function<void()> work);
    ~CWorkerThread() override;

    // Starts the thread at the priority; FALSE when no thread could be made.
    BOOL Start(int nPriority = THREAD_PRIORITY_NORMAL);
    // Waits until the function has returned; at once when the thread never
    // started or was joined already.
    void Join();
    BOOL Joinable() const { return m_hThread != nullptr; }

    BOOL InitInstance() override { return TRUE; }
    int Run() override;

private:
    std::function<void()> m_work;
};

// The work started on a thread of its own (null when no thread could be made).
std::unique_ptr<CWorkerThread> StartWorker(std::function<void()> work,
                                           int nPriority = THREAD_PRIORITY_NORMAL);
