#include "cli/ArchiveCommand.h"

#include "backup/Backup.h"
#include "base/JobState.h"
#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A registry item: a root's full name alone or followed by a backslash and the
// key path. Returns the root code, 0 when the item is not a registry item.
DWORD RegistryItem(const char* item, std::string& path)
{
    const char* slash = std::strchr(item, '\\');
    std::string head = slash ? std::string(item, slash - item) : std::string(item);
    DWORD root = RootKeyFromName(head.c_str());
    if (!root)
        return 0;
    path.clear();
    if (slash) {
        std::string rest(slash + 1);
        size_t b = rest.find_first_not_of('\\');
        size_t e = rest.find_last_not_of('\\');
        if (b != std::string::npos)
            path = rest.substr(b, e - b + 1);
    }
    return root;
}

// A file-system item as a full path with a drive; directories keep their
// trailing backslash. False when it cannot be one.
bool FileItem(const char* item, std::string& full)
{
    size_t n = std::strlen(item);
    if (n == 0)
        return false;
    bool directory = item[n - 1] == '\\';
    char buffer[MAX_PATH];
    DWORD got = GetFullPathNameA(item, sizeof buffer, buffer, nullptr);
    if (got == 0 || got >= sizeof buffer)
        return false;
    full = buffer;
    if (directory && full.back() != '\\')
        full += '\\';
    if (!directory) {
        while (full.size() > 3 && full.back() == '\\')
            full.pop_back();
    }
    return full.size() >= 3 && std::isalpha((unsigned char)full[0]) && full[1] == ':' &&
           full[2] == '\\' && full.size() < MAX_PATH && (directory || full.size() > 3);
}

} // namespace

int ArchiveCommand(int argc, char** argv)
{
    if (argc < 2)
        return ZmcliUsage("archive");
    const char* out = argv[0];
    BYTE attributes = 0, times = 0;
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    g_osFamily = RunningOsFamily();

    int items = 0;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-a") == 0) {
            attributes = 1;
            continue;
        }
        if (std::strcmp(arg, "-t") == 0) {
            times = 1;
            continue;
        }
        if (arg[0] == '-') {
            std::fprintf(stderr, "zmcli archive: unknown option %s\n", arg);
            return ZmcliUsage("archive");
        }
        items++;
        std::string path;
        bool added;
        if (DWORD root = RegistryItem(arg, path)) {
            if (g_KeyList.nCount >= MAX_JOB_COUNT) {
                std::fprintf(stderr, "zmcli archive: more than %u registry items\n",
                             (unsigned)MAX_JOB_COUNT);
                return 2;
            }
            added = AddKeyItem(root, path.c_str(), 1);
        } else {
            if (!FileItem(arg, path)) {
                std::fprintf(stderr, "zmcli archive: not a path with a drive: %s\n", arg);
                return 2;
            }
            if (g_PathList.nCount >= MAX_JOB_COUNT) {
                std::fprintf(stderr, "zmcli archive: more than %u file items\n",
                             (unsigned)MAX_JOB_COUNT);
                return 2;
            }
            added = AddPathItem(path.c_str(), path.back() == '\\' ? 1 : 0);
        }
        if (!added) {
            std::fprintf(stderr, "zmcli archive: path too long: %s\n", arg);
            return 2;
        }
    }
    if (items == 0)
        return ZmcliUsage("archive");
    ArchiveFlags[AF_FILES] = g_PathList.nCount ? 1 : 0;
    ArchiveFlags[AF_ATTRIBUTES] = attributes;
    ArchiveFlags[AF_TIMES] = times;
    ArchiveFlags[AF_REGISTRY] = g_KeyList.nCount ? 1 : 0;

    CConsoleOutput console;
    CBackup* backup = new CBackup;
    backup->SetOutput(&console);
    backup->SetArchivePath(out);
    backup->Run();
    for (const std::string& item : backup->m_skippedItems)
        std::fprintf(stderr, "Пропущен (не найден): %s\n", item.c_str());
    for (const std::string& item : backup->m_unreadable)
        std::fprintf(stderr, "Не удалось прочитать: %s\n", item.c_str());
    std::fflush(stdout);
    int result = backup->m_nResult == CBackup::RESULT_OK ? 0 : 1;
    delete backup;
    return result;
}
