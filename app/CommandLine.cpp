#include "app/CommandLine.h"

#include "base/JobState.h"

#include <cstring>

namespace {

enum Option { O_RO_RFA, O_RO_RFT, O_RO_RF, O_RO_RR, O_RO_CF, O_RO_RWF, O_AUTORUN, O_REBOOT, O_RS, O_NONE };

// Tried in this order; the first whose whole name starts the text wins.
const char* const kOptionNames[] = {"ro_rfa", "ro_rft", "ro_rf", "ro_rr", "ro_cf",
                                    "ro_rwf", "autorun", "reboot", "rs"};

Option MatchOption(const char* text)
{
    for (int i = 0; i < O_NONE; ++i)
        if (_strnicmp(text, kOptionNames[i], std::strlen(kOptionNames[i])) == 0)
            return (Option)i;
    return O_NONE;
}

} // namespace

CCommandLine::CCommandLine() : m_bAutorun(0), m_bReboot(0), m_bSystemRestore(0) {}

void CCommandLine::Parse(const char* commandLine)
{
    g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;

    char buffer[MAX_PATH];
    lstrcpynA(buffer, commandLine ? commandLine : "", MAX_PATH);

    // Split in place: blanks outside double quotes end an argument.
    char* args[MAX_PATH];
    int count = 0;
    args[count++] = buffer;
    bool quoted = false;
    for (char* p = buffer; *p; ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (*p == ' ' && !quoted) {
            *p = 0;
            args[count++] = p + 1;
        }
    }

    for (int i = 0; i < count; ++i) {
        char* arg = args[i];
        if (arg[0] == '/' || arg[0] == '-') {
            switch (MatchOption(arg + 1)) {
            case O_RO_RFA: g_bRestoreAttributes = 1; break;
            case O_RO_RFT: g_bRestoreTimes = 1; break;
            case O_RO_RF: ArchiveFlags[AF_FILES] = 1; break;
            case O_RO_RR: ArchiveFlags[AF_REGISTRY] = 1; break;
            case O_RO_CF: g_bClearFolders = 1; break;
            case O_RO_RWF: g_bOverwriteFiles = 1; break;
            case O_AUTORUN: m_bAutorun = 1; break;
            case O_REBOOT: m_bReboot = 1; break;
            case O_RS: m_bSystemRestore = 1; break;
            case O_NONE: break;
            }
        } else if (arg[0] == '"') {
            char* name = arg + 1;
            size_t n = std::strlen(name);
            if (n > 0)
                name[n - 1] = 0; // the closing quote
            lstrcpynA(g_szArchiveName, name, MAX_PATH);
        } else {
            lstrcpynA(g_szArchiveName, arg, MAX_PATH);
        }
    }
}
