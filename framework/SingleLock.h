// Holds a critical section for the life of the object (or from Lock to Unlock).
#pragma once

#include "framework/CriticalSection.h"

class CSingleLock {
public:
    // With bInitialLock the section is taken at once.
    explicit CSingleLock(CCriticalSection* pSection, BOOL bInitialLock = TRUE)
        : m_pSection(pSection), m_bLocked(FALSE)
    {
        if (bInitialLock)
            Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    void Lock()
    {
        if (!m_bLocked) {
            m_pSection->Lock();
            m_bLocked = TRUE;
        }
    }
    void Unlock()
    {
        if (m_bLocked) {
            m_bLocked = FALSE;
            m_pSection->Unlock();
        }
    }
    BOOL IsLocked() const { return m_bLocked; }

private:
    CCriticalSection* m_pSection;
    BOOL m_bLocked;
};
