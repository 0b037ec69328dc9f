// An unnamed event: set, it lets waiters through; an auto-reset event lets one
// waiter through and is reset by that, a manual-reset one stays set until reset.
#pragma once

#include "framework/Platform.h"

class CEvent {
public:
    explicit CEvent(BOOL bInitiallySet = FALSE, BOOL bManualReset = FALSE);
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    BOOL SetEvent();
    BOOL ResetEvent();
    // Waits until the event is set, at most ms milliseconds: FALSE on time-out.
    BOOL Lock(DWORD ms = INFINITE);

    HANDLE m_hObject;
};
