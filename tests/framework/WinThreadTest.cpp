#include "framework/WinThread.h"

#include <gtest/gtest.h>

namespace {

volatile int g_destroyed = 0;
volatile int g_ran = 0;

class CProbeThread : public CWinThread {
    DECLARE_DYNCREATE(CProbeThread)
public:
    BOOL InitInstance() override { return m_bInit; }
    int Run() override
    {
        g_ran = g_ran + 1;
        m_priorityInRun = ::GetThreadPriority(m_hThread);
        return 42;
    }
    int ExitInstance() override { return 7; }
    ~CProbeThread() override { g_destroyed = g_destroyed + 1; }
    BOOL m_bInit = TRUE;
    int m_priorityInRun = -100;
};

IMPLEMENT_DYNCREATE(CProbeThread, CWinThread)

void WaitUntil(volatile int& v, int value)
{
    for (int i = 0; i < 5000 && v != value; i++)
        Sleep(1);
}

} // namespace

TEST(WinThread, BeginThreadCreatesFromTheRecordAndDeletesItself)
{
    g_destroyed = g_ran = 0;
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CProbeThread), THREAD_PRIORITY_NORMAL);
    ASSERT_NE(t, nullptr);
    WaitUntil(g_destroyed, 1);
    EXPECT_EQ(g_ran, 1);
    EXPECT_EQ(g_destroyed, 1);
}

TEST(WinThread, SuspendedThreadRunsOnlyWhenResumedAtItsPriority)
{
    g_destroyed = g_ran = 0;
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CProbeThread), THREAD_PRIORITY_BELOW_NORMAL, 0,
                                   CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(t->IsKindOf(RUNTIME_CLASS(CProbeThread)));
    CProbeThread* probe = static_cast<CProbeThread*>(t);
    probe->m_bAutoDelete = FALSE;
    Sleep(50);
    EXPECT_EQ(g_ran, 0);
    EXPECT_EQ(t->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    t->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(t->m_hThread, 10000), (DWORD)WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(t->m_hThread, &code);
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(g_ran, 1);
    EXPECT_EQ(probe->m_priorityInRun, THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(g_destroyed, 0);
    delete t;
    EXPECT_EQ(g_destroyed, 1);
}

TEST(WinThread, FailedInitInstanceSkipsRunAndEndsWithExitInstance)
{
    g_destroyed = g_ran = 0;
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CProbeThread), THREAD_PRIORITY_NORMAL, 0,
                                   CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    static_cast<CProbeThread*>(t)->m_bInit = FALSE;
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(t->m_hThread, 10000), (DWORD)WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(t->m_hThread, &code);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(g_ran, 0);
    delete t;
}

TEST(WinThread, RecordsOfNonThreadClassesAreRefused)
{
    EXPECT_EQ(AfxBeginThread(&CObject::classCObject), nullptr);
    EXPECT_EQ(AfxBeginThread(nullptr), nullptr);
}
