#include "framework/Condition.h"

#include "framework/SingleLock.h"

#include <algorithm>

CCondition::CCondition() {}

CCondition::~CCondition()
{
    for (CEvent* e : m_spare)
        delete e;
    for (CEvent* e : m_waiting)
        delete e;
}

BOOL CCondition::Wait(CCriticalSection& lock, DWORD ms)
{
    CEvent* mine;
    {
        CSingleLock hold(&m_lists);
        if (m_spare.empty()) {
            mine = new CEvent(FALSE, FALSE);
        } else {
            mine = m_spare.back();
            m_spare.pop_back();
        }
        m_waiting.push_back(mine);
    }
    lock.Unlock();
    BOOL woken = mine->Lock(ms);
    lock.Lock();
    CSingleLock hold(&m_lists);
    auto at = std::find(m_waiting.begin(), m_waiting.end(), mine);
    if (at != m_waiting.end())
        m_waiting.erase(at);
    else if (!woken)
        woken = TRUE; // notified as the time ran out: the event is set, clear it
    mine->ResetEvent();
    m_spare.push_back(mine);
    return woken;
}

void CCondition::NotifyAll()
{
    CSingleLock hold(&m_lists);
    for (CEvent* e : m_waiting)
        e->SetEvent();
    m_waiting.clear();
}
