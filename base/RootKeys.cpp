#include "base/RootKeys.h"

#include <strings.h>

namespace {
const char* const kRootNames[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",
                                  "HKEY_LOCAL_MACHINE",    "HKEY_USERS",
                                  "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
                                  "HKEY_DYN_DATA"};
}

const char* RootKeyName(DWORD root, BYTE osFamily)
{
    if (root >= ROOT_KEY_FIRST && root <= ROOT_KEY_FIRST + 3)
        return kRootNames[root - ROOT_KEY_FIRST];
    if (root == ROOT_KEY_FIRST + 5)
        return kRootNames[5];
    return osFamily == OS_WIN9X ? kRootNames[6] : kRootNames[4];
}

DWORD RootKeyFromName(const char* name)
{
    for (DWORD i = 0; i < 7; i++)
        if (strcasecmp(name, kRootNames[i]) == 0)
            return ROOT_KEY_FIRST + i;
    return 0;
}

BYTE OsFamilyOf(DWORD platformId, DWORD majorVersion)
{
    enum { PLATFORM_NT = 2 }; // VER_PLATFORM_WIN32_NT
    if (platformId != PLATFORM_NT)
        return OS_WIN9X;
    return majorVersion <= 4 ? OS_NT4 : OS_NT5;
}

#ifdef _WIN32
BYTE RunningOsFamily()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return OS_NT5;
    return OsFamilyOf(version.dwPlatformId, version.dwMajorVersion);
}
#endif
