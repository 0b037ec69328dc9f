// The framework's threads and waits: worker threads that their owner joins,
// critical sections, events and the condition made of them; the same tests
// run on Windows and over the POSIX stand-ins.
#include "framework/Condition.h"
#include "framework/Event.h"
#include "framework/SingleLock.h"
#include "framework/WorkerThread.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(Sync, ThreadsCountingUnderOneSectionEndWithTheSumOfOne)
{
    CCriticalSection lock;
    long counter = 0; // plain: only the section keeps it whole
    const int kThreads = 4, kRounds = 20000;
    std::vector<std::unique_ptr<CWorkerThread>> threads;
    for (int t = 0; t < kThreads; t++)
        threads.push_back(StartWorker([&] {
            for (int k = 0; k < kRounds; k++) {
                CSingleLock hold(&lock);
                CSingleLock again(&lock); // the holder may take it again
                counter = counter + 1;
            }
        }));
    for (auto& t : threads) {
        ASSERT_TRUE(t);
        t->Join();
        EXPECT_FALSE(t->Joinable());
    }
    EXPECT_EQ((long)kThreads * kRounds, counter);
}

TEST(Sync, AnAutoResetEventLetsOneWaiterThroughAManualOneAll)
{
    for (BOOL manual : {FALSE, TRUE}) {
        SCOPED_TRACE(manual ? "manual reset" : "auto reset");
        CEvent event(FALSE, manual);
        EXPECT_FALSE(event.Lock(20));
        event.SetEvent();
        EXPECT_TRUE(event.Lock(0));
        EXPECT_EQ(manual, event.Lock(0));
        event.ResetEvent();
        EXPECT_FALSE(event.Lock(0));
    }
}

// Two threads take turns through one condition, each waiting without a time
// limit: a single notification lost stops them, and the watch sees it.
TEST(Sync, TurnsTakenThroughAConditionNeverMissAWakeUp)
{
    CCriticalSection lock;
    CCondition changed;
    int turn = 0, passes[2] = {0, 0};
    const int kRounds = 5000;
    auto player = [&](int me) {
        for (int k = 0; k < kRounds; k++) {
            CSingleLock hold(&lock);
            while (turn != me)
                changed.Wait(lock);
            passes[me]++;
            turn = 1 - me;
            changed.NotifyAll();
        }
    };
    auto first = StartWorker([&] { player(0); });
    auto second = StartWorker([&] { player(1); });
    ASSERT_TRUE(first && second);
    for (CWorkerThread* t : {first.get(), second.get()}) {
        EXPECT_EQ((DWORD)WAIT_OBJECT_0, ::WaitForSingleObject(t->m_hThread, 60000)) << "a wake-up was lost";
        while (::WaitForSingleObject(t->m_hThread, 10) == WAIT_TIMEOUT)
            changed.NotifyAll(); // free them, so that the test ends
    }
    EXPECT_EQ(kRounds, passes[0]);
    EXPECT_EQ(kRounds, passes[1]);

    // Nobody notifies: the wait ends by its time, holding the section again.
    CSingleLock hold(&lock);
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(changed.Wait(lock, 50));
    EXPECT_GE(::GetTickCount() - start, 40u);
}
