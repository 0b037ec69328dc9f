// Process-wide job state: the tables a wizard (or the comparator) fills and the
// engine it starts reads, the engine-busy byte, the operating-system family and
// the process-wide directories.
#pragma once

#include "base/RootKeys.h"
#include "framework/Platform.h"

enum {
    MAX_JOB_ENTRIES = 65536, // room in the path and key lists
    MAX_JOB_COUNT = 65535,   // most entries a 16-bit count can hold
    MAX_FILE_LIST = 64,      // room in the settings-file and DOS-file lists
};

// ArchiveFlags bytes, in archive-header order.
enum { AF_FILES = 0, AF_ATTRIBUTES = 1, AF_TIMES = 2, AF_REGISTRY = 3 };
// ScanFlags bytes, in report-header order.
enum {
    SF_DIRECTORIES = 0, SF_SIZES = 1, SF_ATTRIBUTES = 2, SF_CREATION_TIMES = 3,
    SF_REGISTRY = 4, SF_VALUES = 5, SF_SETTINGS_FILES = 6, SF_DOS_FILES = 7
};

struct PathItem {
    char szPath[MAX_PATH];
    BYTE bDirectory;
    DWORD dwOffset; // archive record offset (restoring only)
};

struct KeyItem {
    DWORD dwRoot;
    char szPath[MAX_PATH];
    BYTE bKey;
    DWORD dwOffset; // archive record offset (restoring only)
};

struct PathList {
    WORD nCount;
    PathItem items[MAX_JOB_ENTRIES];
};

struct KeyList {
    WORD nCount;
    KeyItem items[MAX_JOB_ENTRIES];
};

struct FileList {
    WORD nCount;
    char szPath[MAX_FILE_LIST][MAX_PATH];
};

extern BYTE ArchiveFlags[4];
extern BYTE ScanFlags[8];
extern BYTE ScanType;
extern BYTE ArchiveType; // archiving wizard: 0 normal, 1 system settings, 2 whole disk, 3 custom
extern PathList g_PathList;
extern KeyList g_KeyList;
extern FileList g_SettingsFiles;
extern FileList g_DosFiles;

extern BYTE g_bRestoreAttributes;
extern BYTE g_bRestoreTimes;
extern BYTE g_bClearFolders;
extern BYTE g_bOverwriteFiles;
extern char g_szArchiveName[MAX_PATH];
extern BYTE g_bPresetSelection;

extern volatile BYTE g_bEngineBusy;
extern BYTE g_osFamily;

extern char g_szWindowsDir[MAX_PATH];
extern char g_szSystemDir[MAX_PATH];
extern char g_szProgramFilesDir[MAX_PATH];

// Appends an entry; false (and nothing added) when the list already holds
// MAX_JOB_COUNT entries or the path does not fit in MAX_PATH.
bool AddPathItem(const char* path, BYTE directory);
bool AddKeyItem(DWORD root, const char* path, BYTE key);
bool AddFileListItem(FileList& list, const char* path);
