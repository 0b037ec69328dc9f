// The one way out to calls that change the machine or start other programs:
// ending the session or the computer, formatting a floppy, shell-executing a
// program, deleting a start-up file, and the notification-area icon. The table
// holds the real calls; tests replace its entries with recorders.
#pragma once

#include "framework/Platform.h"

#include <shellapi.h>

struct SystemCalls {
    BOOL (*pfnExitWindowsEx)(UINT flags, DWORD reason);
    HINSTANCE (*pfnShellExecute)(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                              LPCSTR directory, int show);
    DWORD (*pfnFormatDrive)(HWND parent, UINT drive, UINT formatId, UINT options);
    BOOL (*pfnDeleteFile)(LPCSTR path);
    BOOL (*pfnNotifyIcon)(DWORD message, NOTIFYICONDATAA* data);
};

extern SystemCalls g_SystemCalls;
// The real calls, for putting the table back.
extern const SystemCalls g_RealSystemCalls;

// Ends every program of the session at once, without asking them to save
// (a forced log-off: EWX_LOGOFF | EWX_FORCE), through the table.
BOOL CloseAllActiveProcesses();
