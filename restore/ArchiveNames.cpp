#include "restore/ArchiveNames.h"

#include <cstring>

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

} // namespace

bool IsDriveName(const char* name, size_t length)
{
    if (length != 2)
        return false;
    char c = Upper(name[0]);
    return c >= 'A' && c <= 'Z' && name[1] == ':';
}

bool IsDeviceName(const char* name, size_t length)
{
    size_t n = 0;
    while (n < length && name[n] != '.')
        n++;
    while (n > 0 && name[n - 1] == ' ')
        n--;
    if (n < 3 || n > 7)
        return false;
    char base[8];
    for (size_t i = 0; i < n; i++)
        base[i] = Upper(name[i]);
    base[n] = 0;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : kDevices)
        if (!std::strcmp(base, d))
            return true;
    if (n == 4 && (!std::strncmp(base, "COM", 3) || !std::strncmp(base, "LPT", 3)) &&
        base[3] >= '1' && base[3] <= '9')
        return true;
    return false;
}

bool IsSafeComponent(const char* name, size_t length)
{
    if (length == 0)
        return false;
    bool onlyDotsAndBlanks = true;
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)name[i];
        if (c < 32 || std::strchr("\\/:*?\"<>|", c))
            return false;
        if (c != '.' && c != ' ')
            onlyDotsAndBlanks = false;
    }
    // ".", "..", and names the system would trim to nothing or to one of them.
    if (onlyDotsAndBlanks)
        return false;
    return !IsDeviceName(name, length);
}
