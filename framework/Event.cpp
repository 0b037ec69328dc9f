#include "framework/Event.h"

CEvent::CEvent(BOOL bInitiallySet, BOOL bManualReset)
    : m_hObject(::CreateEventA(nullptr, bManualReset, bInitiallySet, nullptr))
{
}

CEvent::~CEvent()
{
    if (m_hObject)
        ::CloseHandle(m_hObject);
}

BOOL CEvent::SetEvent() { return ::SetEvent(m_hObject); }

BOOL CEvent::ResetEvent() { return ::ResetEvent(m_hObject); }

BOOL CEvent::Lock(DWORD ms) { return ::WaitForSingleObject(m_hObject, ms) == WAIT_OBJECT_0; }
