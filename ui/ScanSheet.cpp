#include "ui/ScanSheet.h"

#include "base/JobState.h"

#include <cstdio>
#include <cstring>

namespace {

// ScanFlags of the built-in types, in report-header order.
const BYTE kFlags[3][8] = {
    {1, 0, 0, 0, 1, 1, 1, 1}, // normal
    {1, 0, 0, 0, 1, 0, 0, 0}, // reduced
    {1, 1, 1, 1, 1, 1, 1, 1}, // full
};

// The three roots every built-in type scans, by their full names.
const DWORD kRoots[3] = {0x80000002u, 0x80000003u, 0x80000005u};

void AddFile(FileList& list, const char* dir, const char* name)
{
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s%s", dir, name);
    AddFileListItem(list, path);
}

} // namespace

CScanSheet::CScanSheet() : m_TypePage(this), m_ProgressPage(&m_ReportFilePage)
{
    AddPage(&m_WelcomePage);
    AddPage(&m_TypePage);
    AddPage(&m_ReportFilePage);
    AddPage(&m_ProgressPage);
}

void CScanSheet::ApplyType(BYTE type)
{
    g_PathList.nCount = g_KeyList.nCount = 0;
    g_SettingsFiles.nCount = g_DosFiles.nCount = 0;
    if (type == TYPE_CUSTOM) {
        if (GetPageCount() < 6) {
            RemovePage(&m_ReportFilePage);
            RemovePage(&m_ProgressPage);
            AddPage(&m_OptionsPage);
            AddPage(&m_ChoicesPage);
            AddPage(&m_ReportFilePage);
            AddPage(&m_ProgressPage);
        }
        ScanType = TYPE_CUSTOM;
        std::memset(ScanFlags, 0, sizeof ScanFlags);
        return;
    }
    if (GetPageCount() == 6) {
        RemovePage(&m_OptionsPage);
        RemovePage(&m_ChoicesPage);
    }
    ScanType = type;
    std::memcpy(ScanFlags, kFlags[type], sizeof ScanFlags);
    const bool nt = g_osFamily != OS_WIN9X;
    AddPathItem(g_szWindowsDir, 1);
    AddPathItem(g_szProgramFilesDir, 1);
    if (nt && type != TYPE_REDUCED)
        AddPathItem("C:\\Documents and settings", 1);
    for (DWORD root : kRoots)
        AddKeyItem(root, RootKeyName(root, g_osFamily), 1);
    if (type == TYPE_REDUCED)
        return;
    for (const char* name : {"control.ini", "system.ini", "win.ini"})
        AddFile(g_SettingsFiles, g_szWindowsDir, name);
    if (nt) {
        if (type == TYPE_FULL)
            AddFileListItem(g_DosFiles, "C:\\boot.ini");
        AddFile(g_DosFiles, g_szSystemDir, "autoexec.nt");
        AddFile(g_DosFiles, g_szSystemDir, "config.nt");
    } else {
        for (const char* path : {"C:\\autoexec.bat", "C:\\config.sys", "C:\\msdos.sys"})
            AddFileListItem(g_DosFiles, path);
        if (type == TYPE_FULL) {
            AddFile(g_DosFiles, g_szWindowsDir, "winstart.bat");
            AddFile(g_DosFiles, g_szWindowsDir, "dosstart.bat");
        }
    }
}
