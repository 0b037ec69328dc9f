#include "base/Settings.h"

#include "base/Profile.h"

#include <cstring>

const int g_PriorityValues[PRIORITY_CHOICES] = {
    THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
    THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
    THREAD_PRIORITY_TIME_CRITICAL,
};

const char* const g_PriorityNames[PRIORITY_CHOICES] = {
    "Простаивающий", "Низкий", "Ниже нормального", "Нормальный",
    "Выше нормального", "Высокий", "Полный",
};

int PriorityChoice(int value)
{
    for (int i = 0; i < PRIORITY_CHOICES; ++i)
        if (g_PriorityValues[i] == value)
            return i;
    return 0;
}

int PriorityValue(int choice)
{
    return choice >= 0 && choice < PRIORITY_CHOICES ? g_PriorityValues[choice] : 0;
}

namespace {
// The live objects, newest first, linked through m_pOlder. A plain pointer, so
// that settings objects constructed as globals find it set already.
CSettings* s_pNewest = nullptr;
}

CSettings& GetSettings()
{
    if (s_pNewest)
        return *s_pNewest;
    static CSettings* defaults = new CSettings(CSettings::UNLISTED); // never destroyed
    return *defaults;
}

CSettings::CSettings() : CSettings(UNLISTED)
{
    m_pOlder = s_pNewest;
    s_pNewest = this;
}

CSettings::CSettings(Unlisted)
    : m_dwSavedAttributes(INVALID_FILE_ATTRIBUTES), MinimizeToTray(FALSE), BackupThreadPriority(0),
      RestoreThreadPriority(0), ScanThreadPriority(0), CompareThreadPriority(0), m_pOlder(nullptr)
{
    m_szPath[0] = 0;
    WinSErPath[0] = 0;
    std::strcpy(ZMAFolder, "Archives");
    std::strcpy(ZMRFolder, "Reports");
    std::strcpy(LOGFolder, "Logs");
}

CSettings::~CSettings()
{
    RestoreAttributes();
    // Objects may go in any order: this one leaves the list wherever it is.
    for (CSettings** p = &s_pNewest; *p; p = &(*p)->m_pOlder)
        if (*p == this) {
            *p = m_pOlder;
            break;
        }
}

void CSettings::SetPath(const char* path)
{
    lstrcpynA(m_szPath, path, MAX_PATH);
    m_dwSavedAttributes = GetFileAttributesA(m_szPath);
    SetFileAttributesA(m_szPath, FILE_ATTRIBUTE_NORMAL);
}

void CSettings::Load()
{
    const char* f = m_szPath;
    if (!f[0])
        return; // no file yet: the defaults stand
    MinimizeToTray = ProfileReadBool(f, "Interface", "MinimizeToTray", FALSE);
    BackupThreadPriority = ProfileReadInt(f, "Priorities", "BackupThreadPriority", 0);
    RestoreThreadPriority = ProfileReadInt(f, "Priorities", "RestoreThreadPriority", 0);
    ScanThreadPriority = ProfileReadInt(f, "Priorities", "ScanThreadPriority", 0);
    CompareThreadPriority = ProfileReadInt(f, "Priorities", "CompareThreadPriority", 0);
    ProfileReadString(f, "Paths", "WinSErPath", "", WinSErPath, MAX_PATH);
    ProfileReadString(f, "Folders", "ZMAFolder", "Archives", ZMAFolder, MAX_PATH);
    ProfileReadString(f, "Folders", "ZMRFolder", "Reports", ZMRFolder, MAX_PATH);
    ProfileReadString(f, "Folders", "LOGFolder", "Logs", LOGFolder, MAX_PATH);
}

void CSettings::Save()
{
    const char* f = m_szPath;
    if (!f[0])
        return;
    ProfileWriteBool(f, "Interface", "MinimizeToTray", MinimizeToTray);
    ProfileWriteInt(f, "Priorities", "BackupThreadPriority", BackupThreadPriority);
    ProfileWriteInt(f, "Priorities", "RestoreThreadPriority", RestoreThreadPriority);
    ProfileWriteInt(f, "Priorities", "ScanThreadPriority", ScanThreadPriority);
    ProfileWriteInt(f, "Priorities", "CompareThreadPriority", CompareThreadPriority);
    ProfileWriteString(f, "Paths", "WinSErPath", WinSErPath);
    ProfileWriteString(f, "Folders", "ZMAFolder", ZMAFolder);
    ProfileWriteString(f, "Folders", "ZMRFolder", ZMRFolder);
    ProfileWriteString(f, "Folders", "LOGFolder", LOGFolder);
}

void CSettings::RestoreAttributes()
{
    if (m_szPath[0] && m_dwSavedAttributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(m_szPath, m_dwSavedAttributes);
    m_szPath[0] = 0;
}
