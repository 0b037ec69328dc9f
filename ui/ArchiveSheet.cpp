#include "ui/ArchiveSheet.h"

#include "base/JobState.h"
#include "res/resource.h"

#include <cstdio>
#include <cstring>

namespace {

// Where an entry of a built-in list starts from.
enum Base { DRIVE, WINDOWS_DIR, SYSTEM_DIR, PROGRAM_FILES_DIR };

struct Entry {
    Base base;
    const char* rest; // after the base; a directory ends in a backslash
};

// Type 0, "Обычный (рекомендуется)", per family.
const Entry kNormal9x[] = {{WINDOWS_DIR, ""},           {PROGRAM_FILES_DIR, ""},
                           {DRIVE, "C:\\autoexec.bat"}, {DRIVE, "C:\\config.sys"},
                           {DRIVE, "C:\\msdos.sys"},    {DRIVE, "C:\\command.com"},
                           {DRIVE, "C:\\io.sys"},       {DRIVE, "C:\\logo.sys"}};
const Entry kNormalNt4[] = {{WINDOWS_DIR, ""},          {PROGRAM_FILES_DIR, ""},
                            {DRIVE, "C:\\ntldr"},       {DRIVE, "C:\\bootfont.bin"},
                            {DRIVE, "C:\\bootsect.dos"}, {DRIVE, "C:\\boot.ini"},
                            {DRIVE, "C:\\ntdetect.com"}};
const Entry kNormalNt5[] = {{WINDOWS_DIR, ""},
                            {PROGRAM_FILES_DIR, ""},
                            {DRIVE, "C:\\Documents and settings\\"},
                            {DRIVE, "C:\\ntldr"},
                            {DRIVE, "C:\\bootfont.bin"},
                            {DRIVE, "C:\\bootsect.dos"},
                            {DRIVE, "C:\\boot.ini"},
                            {DRIVE, "C:\\ntdetect.com"}};
// Type 1, "Настройки системы", files, per family.
const Entry kSettings9x[] = {{DRIVE, "C:\\autoexec.bat"},   {DRIVE, "C:\\config.sys"},
                             {DRIVE, "C:\\msdos.sys"},      {WINDOWS_DIR, "winstart.bat"},
                             {WINDOWS_DIR, "dosstart.bat"}, {WINDOWS_DIR, "control.ini"},
                             {WINDOWS_DIR, "system.ini"},   {WINDOWS_DIR, "win.ini"}};
const Entry kSettingsNt[] = {{DRIVE, "C:\\boot.ini"},      {SYSTEM_DIR, "autoexec.nt"},
                             {SYSTEM_DIR, "config.nt"},    {WINDOWS_DIR, "control.ini"},
                             {WINDOWS_DIR, "system.ini"},  {WINDOWS_DIR, "win.ini"}};
// Type 2, "Весь диск".
const Entry kDisk[] = {{DRIVE, "C:\\"}};
// Type 1's keys: three whole roots.
const DWORD kSettingsRoots[] = {0x80000002u, 0x80000003u, 0x80000005u};

template <size_t Count> void AddEntries(const Entry (&entries)[Count])
{
    for (const Entry& e : entries) {
        char path[MAX_PATH];
        const char* base = e.base == WINDOWS_DIR         ? g_szWindowsDir
                           : e.base == SYSTEM_DIR        ? g_szSystemDir
                           : e.base == PROGRAM_FILES_DIR ? g_szProgramFilesDir
                                                         : "";
        std::snprintf(path, sizeof path, "%s%s", base, e.rest);
        // "C:" stands for the drive of the Windows directory.
        if (e.base == DRIVE && g_szWindowsDir[0])
            path[0] = g_szWindowsDir[0];
        size_t n = std::strlen(path);
        AddPathItem(path, n && path[n - 1] == '\\' ? 1 : 0);
    }
}

} // namespace

CArchiveSheet::CArchiveSheet()
    : m_TypePage(this), m_ProgressPage(&m_NamePage)
{
    AddPage(&m_WelcomePage);
    AddPage(&m_TypePage);
    AddPage(&m_NamePage);
    AddPage(&m_ProgressPage);
}

void CArchiveSheet::ApplyType(BYTE type)
{
    if (type != TYPE_CUSTOM) {
        if (GetPageCount() == 6) {
            RemovePage(&m_OptionsPage);
            RemovePage(&m_TreePage);
        }
        ArchiveType = type;
        ArchiveFlags[AF_FILES] = ArchiveFlags[AF_ATTRIBUTES] = ArchiveFlags[AF_TIMES] = 1;
        ArchiveFlags[AF_REGISTRY] = type == TYPE_SETTINGS ? 1 : 0;
        FillBuiltInLists(type);
        return;
    }
    if (GetPageCount() < 6) {
        RemovePage(&m_NamePage);
        RemovePage(&m_ProgressPage);
        AddPage(&m_OptionsPage);
        AddPage(&m_TreePage);
        AddPage(&m_NamePage);
        AddPage(&m_ProgressPage);
    }
    ArchiveType = TYPE_CUSTOM;
    std::memset(ArchiveFlags, 0, sizeof ArchiveFlags);
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
}

void CArchiveSheet::FillBuiltInLists(BYTE type)
{
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    switch (type) {
    case TYPE_NORMAL:
        if (g_osFamily == OS_WIN9X)
            AddEntries(kNormal9x);
        else if (g_osFamily == OS_NT4)
            AddEntries(kNormalNt4);
        else
            AddEntries(kNormalNt5);
        break;
    case TYPE_SETTINGS:
        if (g_osFamily == OS_WIN9X)
            AddEntries(kSettings9x);
        else
            AddEntries(kSettingsNt);
        for (DWORD root : kSettingsRoots)
            AddKeyItem(root, "", 1);
        break;
    default:
        AddEntries(kDisk);
        break;
    }
}

INT_PTR CArchiveSheet::DoModalPreloaded(CWnd* pOwner)
{
    BYTE flags[4];
    std::memcpy(flags, ArchiveFlags, sizeof flags);
    WORD paths = g_PathList.nCount, keys = g_KeyList.nCount;
    g_bPresetSelection = 1;
    ApplyType(TYPE_CUSTOM);
    std::memcpy(ArchiveFlags, flags, sizeof flags);
    g_PathList.nCount = paths;
    g_KeyList.nCount = keys;
    m_nStartPage = OPTIONS_PAGE_INDEX;
    CWnd* parent = m_pParentWnd;
    m_pParentWnd = pOwner;
    INT_PTR result = DoModal();
    m_pParentWnd = parent;
    // The main window's archiving command starts at the welcome page again.
    m_nStartPage = 0;
    g_bPresetSelection = 0;
    return result;
}
