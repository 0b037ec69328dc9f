#include "cli/Zmcli.h"

#include "cli/CompareCommand.h"
#include "cli/ListCommand.h"
#include "cli/LzssCommand.h"
#ifdef _WIN32
#include "cli/ArchiveCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/ScanCommand.h"
#endif

#include <cstdio>
#include <cstring>

const ZmcliCommand g_ZmcliCommands[] = {
#ifdef _WIN32
    {"archive", &ArchiveCommand, "OUT.zma [-a] [-t] ITEM...   archive files, directories and keys"},
    {"restore", &RestoreCommand, "ARCHIVE [-a] [-t] [-c] [-o]   restore a whole archive"},
    {"scan", &ScanCommand,
     "OUT.zmr [-s] [-a] [-c] [-v] [-d DIR]... [-k ROOT]... [-i FILE]... [-x FILE]...   write a report"},
#endif
    {"list", &ListCommand, "ARCHIVE   list every record of an archive"},
    {"compare", &CompareCommand, "OLD.zmr NEW.zmr [-l] | --bench   list the differences of two reports"},
    {"lzss", &LzssCommand, "e IN OUT | d IN OUT | bench [FILE...]   code a block, decode it, benchmark"},
    {nullptr, nullptr, nullptr},
};

namespace {

const ZmcliCommand* Find(const char* name)
{
    for (const ZmcliCommand* c = g_ZmcliCommands; c->pszName; c++)
        if (std::strcmp(c->pszName, name) == 0)
            return c;
    return nullptr;
}

void PrintList(std::FILE* out)
{
    std::fputs("usage: zmcli SUBCOMMAND ARGUMENTS...\n", out);
    for (const ZmcliCommand* c = g_ZmcliCommands; c->pszName; c++)
        std::fprintf(out, "  zmcli %s %s\n", c->pszName, c->pszUsage);
    std::fputs("  zmcli help SUBCOMMAND   the usage of one subcommand\n", out);
}

} // namespace

int ZmcliMain(int argc, char** argv)
{
    if (argc < 2) {
        PrintList(stderr);
        return 2;
    }
    const char* name = argv[1];
    if (!std::strcmp(name, "--help") || !std::strcmp(name, "-h") ||
        (!std::strcmp(name, "help") && argc == 2)) {
        PrintList(stdout);
        return 0;
    }
    if (!std::strcmp(name, "help")) {
        const ZmcliCommand* c = Find(argv[2]);
        if (!c) {
            std::fprintf(stderr, "zmcli: unknown subcommand %s\n", argv[2]);
            PrintList(stderr);
            return 2;
        }
        std::printf("usage: zmcli %s %s\n", c->pszName, c->pszUsage);
        return 0;
    }
    const ZmcliCommand* c = Find(name);
    if (!c) {
        std::fprintf(stderr, "zmcli: unknown subcommand %s\n", name);
        PrintList(stderr);
        return 2;
    }
    return c->pfnRun(argc - 2, argv + 2);
}
