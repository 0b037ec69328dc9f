#include "cli/ScanCommand.h"

#include "base/JobState.h"
#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"
#include "scan/Scan.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

int Usage(const char* problem, const char* arg)
{
    if (problem)
        std::fprintf(stderr, "zmcli scan: %s%s%s\n", problem, arg ? ": " : "", arg ? arg : "");
    return ZmcliUsage("scan");
}

void ClearJob()
{
    std::memset(ScanFlags, 0, sizeof ScanFlags);
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    g_SettingsFiles.nCount = 0;
    g_DosFiles.nCount = 0;
}

} // namespace

int ScanCommand(int argc, char** argv)
{
    if (argc < 1 || argv[0][0] == '-' || !argv[0][0])
        return Usage(argc < 1 ? nullptr : "the report path comes first", nullptr);
    const char* out = argv[0];
    ClearJob();
    ScanType = 3; // custom: the lists are the user's own

    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (a[0] != '-' || !a[1] || a[2])
            return Usage("unknown argument", a);
        switch (a[1]) {
        case 's': ScanFlags[SF_SIZES] = 1; continue;
        case 'a': ScanFlags[SF_ATTRIBUTES] = 1; continue;
        case 'c': ScanFlags[SF_CREATION_TIMES] = 1; continue;
        case 'v': ScanFlags[SF_VALUES] = 1; continue;
        case 'd': case 'k': case 'i': case 'x': break;
        default: return Usage("unknown option", a);
        }
        if (i + 1 >= argc)
            return Usage("missing value after", a);
        const char* value = argv[++i];
        bool added = false;
        switch (a[1]) {
        case 'd':
            added = *value && AddPathItem(value, 1);
            break;
        case 'k': {
            DWORD root = RootKeyFromName(value);
            if (!root)
                return Usage("not a registry root name", value);
            char name[MAX_PATH];
            size_t n = std::strlen(value);
            for (size_t k = 0; k <= n; k++)
                name[k] = (char)std::toupper((unsigned char)value[k]);
            added = AddKeyItem(root, name, 1);
            break;
        }
        case 'i': added = *value && AddFileListItem(g_SettingsFiles, value); break;
        default: added = *value && AddFileListItem(g_DosFiles, value); break;
        }
        if (!added)
            return Usage("cannot add (empty, too long, or the list is full)", value);
    }
    // A section is chosen when its list has entries.
    ScanFlags[SF_DIRECTORIES] = g_PathList.nCount > 0;
    ScanFlags[SF_REGISTRY] = g_KeyList.nCount > 0;
    ScanFlags[SF_SETTINGS_FILES] = g_SettingsFiles.nCount > 0;
    ScanFlags[SF_DOS_FILES] = g_DosFiles.nCount > 0;

    int result = 0;
    {
        CConsoleOutput console("\n", true);
        CScan scan;
        scan.SetOutput(&console);
        scan.SetReportPath(out);
        scan.Run();
        if (!scan.m_pszReportPath || scan.m_bReportFailed) {
            std::fprintf(stderr, "zmcli scan: cannot write the report %s\n", out);
            result = 1;
        }
    }
    g_bEngineBusy = 0;
    return result;
}
