#include "base/FileNames.h"

#include <cstdio>
#include <cstring>

namespace {

// The number of a name of the form prefix + up to four decimal digits, read the
// way "%04u" reads it; the prefix is compared without regard to case, as the
// file system compares names. False when the name does not start with the
// prefix or no digits follow it.
bool ScanNumber(const char* name, const char* prefix, int* number)
{
    size_t n = std::strlen(prefix);
    if (_strnicmp(name, prefix, n) != 0)
        return false;
    unsigned value = 0;
    if (std::sscanf(name + n, "%4u", &value) != 1)
        return false;
    *number = (int)value;
    return true;
}

} // namespace

void MakeNumberedName(char* out, const char* prefix, const char* extension, const char* folder)
{
    char base[MAX_PATH];
    size_t len = std::strlen(folder);
    if (len == 0)
        base[0] = 0;
    else
        std::snprintf(base, sizeof(base), "%s%s", folder, folder[len - 1] == '\\' ? "" : "\\");

    if (len > 0)
        CreateDirectoryA(folder, nullptr);

    char pattern[MAX_PATH];
    std::snprintf(pattern, sizeof(pattern), "%s%s*.%s", base, prefix, extension);

    int highest = -1;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            int number;
            if (ScanNumber(fd.cFileName, prefix, &number) && number > highest)
                highest = number;
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }

    // Only four digits are read back, so names beyond 9999 do not raise the
    // highest number; step over any such name that exists already.
    unsigned next = (unsigned)(highest + 1);
    for (int tries = 0; tries < 100000; ++tries, ++next) {
        std::snprintf(out, MAX_PATH, "%s%s%04u.%s", base, prefix, next, extension);
        if (GetFileAttributesA(out) == INVALID_FILE_ATTRIBUTES)
            break;
    }
}

BOOL FileExists(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL IsDirectory(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void DirectoryPart(char* path)
{
    char* slash = std::strrchr(path, '\\');
    if (slash)
        slash[1] = 0;
}

const char* FileNamePart(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}
