#include "tests/app/SystemCallRecorder.h"

namespace {

std::string Text(LPCSTR s) { return s ? s : "(null)"; }

RecordedCall Named(const char* name)
{
    RecordedCall c{};
    c.name = name;
    return c;
}

BOOL RecordExitWindows(UINT flags, DWORD reason)
{
    RecordedCall c = Named("ExitWindowsEx");
    c.flags = flags;
    c.reason = reason;
    RecordedCalls().push_back(c);
    return TRUE;
}

HINSTANCE RecordShellExecute(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show)
{
    RecordedCall c = Named("ShellExecute");
    c.parent = parent;
    c.verb = Text(verb);
    c.text = file ? file : "";
    c.parameters = Text(parameters);
    c.directory = Text(directory);
    c.show = show;
    RecordedCalls().push_back(c);
    return (HINSTANCE)33;
}

DWORD RecordFormatDrive(HWND parent, UINT drive, UINT formatId, UINT options)
{
    RecordedCall c = Named("FormatDrive");
    c.parent = parent;
    c.flags = drive;
    c.formatId = formatId;
    c.options = options;
    RecordedCalls().push_back(c);
    return 0;
}

BOOL RecordDeleteFile(LPCSTR path)
{
    RecordedCall c = Named("DeleteFile");
    c.text = path ? path : "";
    RecordedCalls().push_back(c);
    return TRUE;
}

BOOL RecordNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    RecordedCall c = Named("NotifyIcon");
    c.flags = message;
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

std::string RecordedCall::Describe() const
{
    if (name == "ExitWindowsEx")
        return name + " flags=" + std::to_string(flags) + " reason=" + std::to_string(reason);
    if (name == "ShellExecute")
        return name + " verb=" + verb + " file=" + text + " parameters=" + parameters + " directory=" + directory +
               " show=" + std::to_string(show);
    if (name == "FormatDrive")
        return name + " drive=" + std::to_string(flags) + " format=" + std::to_string(formatId) +
               " options=" + std::to_string(options);
    if (name == "DeleteFile")
        return name + " " + text;
    return name + " " + std::to_string(flags);
}

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
