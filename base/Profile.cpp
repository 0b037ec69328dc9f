#include "base/Profile.h"

#include <cstdio>
#include <cstdlib>

BOOL ProfileReadBool(const char* file, const char* section, const char* key, BOOL def)
{
    char text[5];
    GetPrivateProfileStringA(section, key, def ? "True" : "False", text, sizeof(text), file);
    return lstrcmpiA(text, "True") == 0 || lstrcmpiA(text, "1") == 0;
}

int ProfileReadInt(const char* file, const char* section, const char* key, int def)
{
    char text[15], defText[16];
    std::snprintf(defText, sizeof(defText), "%d", def);
    GetPrivateProfileStringA(section, key, defText, text, sizeof(text), file);
    return std::atoi(text);
}

int ProfileReadHex(const char* file, const char* section, const char* key, int def)
{
    char text[15], defText[16];
    std::snprintf(defText, sizeof(defText), "%X", (unsigned)def);
    GetPrivateProfileStringA(section, key, defText, text, sizeof(text), file);
    unsigned value = 0;
    if (std::sscanf(text, "%X", &value) != 1)
        return 0;
    return (int)value;
}

DWORD ProfileReadString(const char* file, const char* section, const char* key, const char* def,
                        char* buffer, DWORD size)
{
    return GetPrivateProfileStringA(section, key, def, buffer, size, file);
}

BOOL ProfileWriteBool(const char* file, const char* section, const char* key, BOOL value)
{
    return WritePrivateProfileStringA(section, key, value ? "True" : "False", file);
}

BOOL ProfileWriteInt(const char* file, const char* section, const char* key, int value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    return WritePrivateProfileStringA(section, key, text, file);
}

BOOL ProfileWriteHex(const char* file, const char* section, const char* key, int value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%X", (unsigned)value);
    return WritePrivateProfileStringA(section, key, text, file);
}

BOOL ProfileWriteString(const char* file, const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, file);
}
