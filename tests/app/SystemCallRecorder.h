// Replaces the system-call seam for the whole test program, before any test
// runs: nothing reaches the real ExitWindowsEx, SHFormatDrive, ShellExecute,
// DeleteFile or the notification area; every call is recorded instead.
#pragma once

#include "base/SystemCalls.h"

#include <string>
#include <vector>

struct RecordedCall {
    std::string name;  // "ExitWindowsEx", "ShellExecute", "FormatDrive", "DeleteFile", "NotifyIcon"
    UINT flags;        // ExitWindowsEx flags, NotifyIcon message, FormatDrive drive
    std::string text;  // file or path
    NOTIFYICONDATAA icon;
    HWND parent;       // ShellExecute, FormatDrive
    // ShellExecute's verb, parameters and directory; "(null)" for none.
    std::string verb, parameters, directory;
    int show;          // ShellExecute
    UINT formatId, options; // FormatDrive
    DWORD reason;      // ExitWindowsEx

    // The whole call on one line, the parent left out (it differs between
    // runs), for comparing with an expected line.
    std::string Describe() const;
};

std::vector<RecordedCall>& RecordedCalls();
// Recorded calls of one name.
std::vector<RecordedCall> CallsNamed(const char* name);
