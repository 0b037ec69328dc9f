// Waiting for a change of state that a critical section guards. A waiter,
// holding the section, finds the state not yet as it wants, and calls Wait:
// the section is left and retaken around the wait. Whoever changes the state
// does so holding the section and then calls NotifyAll, which wakes every
// thread waiting at that moment. Made of events alone, since the systems the
// program runs on have no condition variables; a waiter registers its event
// before it leaves the section, so no change is missed.
#pragma once

#include "framework/CriticalSection.h"
#include "framework/Event.h"

#include <vector>

class CCondition {
public:
    CCondition();
    ~CCondition();
    CCondition(const CCondition&) = delete;
    CCondition& operator=(const CCondition&) = delete;

    // Called holding lock once: leaves it, waits for a NotifyAll or at most ms
    // milliseconds, and takes it again. FALSE on time-out. A waiter rechecks
    // its state after every return.
    BOOL Wait(CCriticalSection& lock, DWORD ms = INFINITE);
    // Wakes every thread in Wait.
    void NotifyAll();

private:
    CCriticalSection m_lists;
    std::vector<CEvent*> m_waiting; // the events of the threads in Wait
    std::vector<CEvent*> m_spare;   // events kept for the next waiters
};
