#include "cli/RestoreCommand.h"

#include "base/JobState.h"
#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"
#include "restore/Restore.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

int RestoreUsage() { return ZmcliUsage("restore"); }

} // namespace

int RestoreCommand(int argc, char** argv)
{
    const char* archive = nullptr;
    BYTE attributes = 0, times = 0, clear = 0, overwrite = 0;
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (!std::strcmp(a, "-a"))
            attributes = 1;
        else if (!std::strcmp(a, "-t"))
            times = 1;
        else if (!std::strcmp(a, "-c"))
            clear = 1;
        else if (!std::strcmp(a, "-o"))
            overwrite = 1;
        else if (a[0] == '-' || archive)
            return RestoreUsage();
        else
            archive = a;
    }
    if (!archive)
        return RestoreUsage();

    g_bRestoreAttributes = attributes;
    g_bRestoreTimes = times;
    g_bClearFolders = clear;
    g_bOverwriteFiles = overwrite;

    std::unique_ptr<CRestore> restore(new (std::nothrow) CRestore);
    if (!restore) {
        std::fprintf(stderr, "zmcli restore: out of memory\n");
        return 1;
    }
    CConsoleOutput console;
    restore->SetOutput(&console);
    restore->RestoreAll(nullptr, archive, nullptr, nullptr, nullptr, nullptr);
    std::fflush(stdout);
    return restore->m_bSucceeded ? 0 : 1;
}
