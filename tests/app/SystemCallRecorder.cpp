#include "tests/app/SystemCallRecorder.h"

namespace {

BOOL RecordExitWindows(UINT flags, DWORD)
{
    RecordedCalls().push_back({"ExitWindowsEx", flags, "", {}});
    return TRUE;
}

HINSTANCE RecordShellExecute(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, int)
{
    RecordedCalls().push_back({"ShellExecute", 0, file ? file : "", {}});
    return (HINSTANCE)33;
}

DWORD RecordFormatDrive(HWND, UINT drive, UINT, UINT)
{
    RecordedCalls().push_back({"FormatDrive", drive, "", {}});
    return 0;
}

BOOL RecordDeleteFile(LPCSTR path)
{
    RecordedCalls().push_back({"DeleteFile", 0, path ? path : "", {}});
    return TRUE;
}

BOOL RecordNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    RecordedCall c{"NotifyIcon", message, "", {}};
    if (data)
        c.icon = *data;
    RecordedCalls().push_back(c);
    return TRUE;
}

struct InstallRecorders {
    InstallRecorders()
    {
        g_SystemCalls.pfnExitWindowsEx = &RecordExitWindows;
        g_SystemCalls.pfnShellExecute = &RecordShellExecute;
        g_SystemCalls.pfnFormatDrive = &RecordFormatDrive;
        g_SystemCalls.pfnDeleteFile = &RecordDeleteFile;
        g_SystemCalls.pfnNotifyIcon = &RecordNotifyIcon;
    }
} s_install;

} // namespace

std::vector<RecordedCall>& RecordedCalls()
{
    static std::vector<RecordedCall> calls;
    return calls;
}

std::vector<RecordedCall> CallsNamed(const char* name)
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : RecordedCalls())
        if (c.name == name)
            out.push_back(c);
    return out;
}
