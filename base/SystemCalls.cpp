#include "base/SystemCalls.h"

#include <shlobj.h>

namespace {

BOOL RealExitWindows(UINT flags, DWORD reason) { return ::ExitWindowsEx(flags, reason); }

HINSTANCE RealShellExecute(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                           LPCSTR directory, int show)
{
    return ::ShellExecuteA(parent, verb, file, parameters, directory, show);
}

DWORD RealFormatDrive(HWND parent, UINT drive, UINT formatId, UINT options)
{
    return ::SHFormatDrive(parent, drive, formatId, options);
}

BOOL RealDeleteFile(LPCSTR path) { return ::DeleteFileA(path); }

BOOL RealNotifyIcon(DWORD message, NOTIFYICONDATAA* data) { return ::Shell_NotifyIconA(message, data); }

} // namespace

// Both tables are filled at compile time, so that a test's recorders installed
// during static initialisation are never overwritten.
const SystemCalls g_RealSystemCalls = {&RealExitWindows, &RealShellExecute, &RealFormatDrive,
                                       &RealDeleteFile, &RealNotifyIcon};

SystemCalls g_SystemCalls = {&RealExitWindows, &RealShellExecute, &RealFormatDrive, &RealDeleteFile,
                             &RealNotifyIcon};

BOOL CloseAllActiveProcesses() { return g_SystemCalls.pfnExitWindowsEx(EWX_LOGOFF | EWX_FORCE, 0); }
