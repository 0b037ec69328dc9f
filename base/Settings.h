// The program's settings, held in memory and mirrored in ZM.ini in the start
// directory. Load reads every key with its default, Save writes every key; the
// file's attributes are cleared while the program runs (so a read-only file can
// be written) and given back when the object is destroyed. An object is not
// copied: a copy's destructor would give the file its attributes back while
// the original still writes it.
#pragma once

#include "framework/Platform.h"

// The seven thread priorities offered by the settings dialog, in list order.
enum { PRIORITY_CHOICES = 7 };
extern const int g_PriorityValues[PRIORITY_CHOICES];
extern const char* const g_PriorityNames[PRIORITY_CHOICES];
// List index of a stored priority (0 for a value not in the list).
int PriorityChoice(int value);
// Stored value of a list index (0 for an index outside 0..6).
int PriorityValue(int choice);

class CSettings {
public:
    CSettings();
    ~CSettings();
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Remembers the file and its attributes (-1 when it does not exist) and makes
    // the file writable.
    void SetPath(const char* path);
    void Load();
    void Save();
    // Gives the file its remembered attributes back and forgets the path.
    void RestoreAttributes();

    char m_szPath[MAX_PATH];
    DWORD m_dwSavedAttributes;

    BOOL MinimizeToTray;
    int BackupThreadPriority;
    int RestoreThreadPriority;
    int ScanThreadPriority;
    int CompareThreadPriority;
    char WinSErPath[MAX_PATH];
    char ZMAFolder[MAX_PATH];
    char ZMRFolder[MAX_PATH];
    char LOGFolder[MAX_PATH];

private:
    friend CSettings& GetSettings();
    enum Unlisted { UNLISTED };
    // The object of the defaults, which is no live settings object.
    explicit CSettings(Unlisted);

    CSettings* m_pOlder; // the next older live object
};

// The application's settings object: the most recently constructed CSettings
// that still exists, or a process-wide object holding the defaults when there is
// none (so that pages and engines work without an application object). Settings
// objects are made and destroyed on the application's thread.
CSettings& GetSettings();
