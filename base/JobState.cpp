#include "base/JobState.h"

#include <cstring>

BYTE ArchiveFlags[4];
BYTE ScanFlags[8];
BYTE ScanType;
BYTE ArchiveType;
PathList g_PathList;
KeyList g_KeyList;
FileList g_SettingsFiles;
FileList g_DosFiles;

BYTE g_bRestoreAttributes;
BYTE g_bRestoreTimes;
BYTE g_bClearFolders;
BYTE g_bOverwriteFiles;
char g_szArchiveName[MAX_PATH];
BYTE g_bPresetSelection;

volatile BYTE g_bEngineBusy;
BYTE g_osFamily;

char g_szWindowsDir[MAX_PATH];
char g_szSystemDir[MAX_PATH];
char g_szProgramFilesDir[MAX_PATH];

bool AddPathItem(const char* path, BYTE directory)
{
    if (g_PathList.nCount >= MAX_JOB_COUNT || std::strlen(path) >= MAX_PATH)
        return false;
    PathItem& item = g_PathList.items[g_PathList.nCount++];
    std::strcpy(item.szPath, path);
    item.bDirectory = directory;
    item.dwOffset = 0;
    return true;
}

bool AddKeyItem(DWORD root, const char* path, BYTE key)
{
    if (g_KeyList.nCount >= MAX_JOB_COUNT || std::strlen(path) >= MAX_PATH)
        return false;
    KeyItem& item = g_KeyList.items[g_KeyList.nCount++];
    item.dwRoot = root;
    std::strcpy(item.szPath, path);
    item.bKey = key;
    item.dwOffset = 0;
    return true;
}

bool AddFileListItem(FileList& list, const char* path)
{
    if (list.nCount >= MAX_FILE_LIST || std::strlen(path) >= MAX_PATH)
        return false;
    std::strcpy(list.szPath[list.nCount++], path);
    return true;
}
