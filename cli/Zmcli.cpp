#include "cli/Zmcli.h"

#include "cli/CompareCommand.h"
#include "cli/ExtractCommand.h"
#include "cli/ListCommand.h"
#include "cli/LzssCommand.h"
#include "cli/VerifyCommand.h"
#ifdef _WIN32
#include "cli/ArchiveCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/ScanCommand.h"
#endif

#include <cstring>

namespace {

#ifdef _WIN32
const ZmcliOption kArchiveOptions[] = {
    {"OUT.zma", "the archive to write"},
    {"-a", "store the attributes of files and directories"},
    {"-t", "store the last-access and last-write times"},
    {"-j N", "code on N threads, 1 to 16 (1: the writer alone); the archive is the same byte for byte; "
             "the processors by default"},
    {"--best", "the smallest code of the block format, slower; every reader of archives reads it"},
    {"--bench [DIR]", "time archiving a generated tree with -j 1 and the default beside the codec alone "
                      "(in DIR, default the temporary folder)"},
    {"ITEM", "C:\\dir\\ (a directory; C:\\ a whole drive), C:\\file, HKEY_CURRENT_USER\\Software\\Key "
             "or a whole root (HKEY_USERS)"},
    {nullptr, nullptr},
};

const ZmcliOption kRestoreOptions[] = {
    {"ARCHIVE", "the archive to restore to the places its records name"},
    {"-a", "set the stored attributes on directories too (files always get theirs)"},
    {"-t", "set the stored times on directories too (files always get theirs)"},
    {"-c", "clear each restored directory first (a drive's root is never cleared)"},
    {"-o", "overwrite existing files"},
    {nullptr, nullptr},
};

const ZmcliOption kScanOptions[] = {
    {"OUT.zmr", "the report to write"},
    {"-s", "record file sizes"},
    {"-a", "record attributes"},
    {"-c", "record creation times"},
    {"-v", "record registry values"},
    {"-d DIR", "a directory to record (repeatable)"},
    {"-k ROOT", "a registry root by its full name, HKEY_CURRENT_USER (repeatable)"},
    {"-i FILE", "a settings file to record (repeatable)"},
    {"-x FILE", "a DOS start-up file to record (repeatable)"},
    {nullptr, nullptr},
};
#endif

const ZmcliOption kListOptions[] = {
    {"ARCHIVE", "the archive to list"},
    {nullptr, nullptr},
};

const ZmcliOption kVerifyOptions[] = {
    {"ARCHIVE", "the archive to check"},
    {"-v", "list every record as it is checked"},
    {"--no-sums", "leave the checksum file beside the archive (ARCHIVE.sum) unread"},
    {nullptr, nullptr},
};

const ZmcliOption kExtractOptions[] = {
    {"ARCHIVE", "the archive to take files from"},
    {"DIR", "the folder to write into (made when missing); drive C: becomes DIR/C"},
    {"-o", "replace existing files, each whole or not at all (they are kept otherwise)"},
    {"-r FILE.reg", "also write the registry section as a REGEDIT4 file"},
    {"ITEM", "an archive path as list shows it (C:\\dir, HKEY_CURRENT_USER\\Software\\X); "
             "a directory or key brings all below it; none means everything"},
    {"--bench", "time extracting a large generated tree beside decoding it (in DIR, default "
                "the temporary folder)"},
    {nullptr, nullptr},
};

const ZmcliOption kCompareOptions[] = {
    {"OLD.zmr NEW.zmr", "the two reports, older first"},
    {"-l", "then \"--\" and the collected path and key lists"},
    {"--reg-redo FILE.reg", "write a REGEDIT4 script that turns the older registry into the newer "
                            "(both reports scanned with values)"},
    {"--reg-undo FILE.reg", "write the script that turns the newer registry back into the older"},
    {"--html FILE.html", "write the differences as a page for a browser: both reports, counts per "
                         "section, every line marked by colour"},
    {"--bench", "time indexed matching against literal matching"},
    {nullptr, nullptr},
};

const ZmcliOption kLzssOptions[] = {
    {"e IN OUT", "code the file IN as one archive block (plain size, code size, code) into OUT"},
    {"--best", "with e: the smallest code of the block format, slower; it decodes as any other"},
    {"d IN OUT", "expand such a block from IN into the file OUT"},
    {"bench [FILE...]", "time the codec against the plain reference coder, and the smallest code's "
                        "size and speed beside the classic one's"},
    {nullptr, nullptr},
};

} // namespace

const ZmcliCommand g_ZmcliCommands[] = {
#ifdef _WIN32
    {"archive", &ArchiveCommand, "OUT.zma [-a] [-t] [-j N] [--best] ITEM... | --bench [DIR]",
     "write an archive of files, directories and registry keys", kArchiveOptions},
    {"restore", &RestoreCommand, "ARCHIVE [-a] [-t] [-c] [-o]",
     "restore a whole archive to the places it came from", kRestoreOptions},
#endif
    {"list", &ListCommand, "ARCHIVE", "list every record of an archive", kListOptions},
    {"verify", &VerifyCommand, "[-v] [--no-sums] ARCHIVE",
     "check every record and block of an archive, and against its checksum file when it has one; "
     "exit 0 when whole, 1 when not", kVerifyOptions},
    {"extract", &ExtractCommand, "[-o] [-r FILE.reg] ARCHIVE DIR [ITEM...] | --bench [DIR]",
     "write an archive's files below DIR instead of their old places", kExtractOptions},
#ifdef _WIN32
    {"scan", &ScanCommand, "OUT.zmr [-s] [-a] [-c] [-v] [-d DIR]... [-k ROOT]... [-i FILE]... [-x FILE]...",
     "write a report of directories, registry roots and settings files", kScanOptions},
#endif
    {"compare", &CompareCommand,
     "OLD.zmr NEW.zmr [-l] [--reg-redo FILE.reg] [--reg-undo FILE.reg] [--html FILE.html] | --bench",
     "list the differences of two reports", kCompareOptions},
    {"lzss", &LzssCommand, "e [--best] IN OUT | d IN OUT | bench [FILE...]",
     "code a block, decode it, time the codec", kLzssOptions},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
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
        std::fprintf(out, "  zmcli %s %s\n      %s\n", c->pszName, c->pszArguments, c->pszSummary);
    std::fputs("  zmcli help SUBCOMMAND\n      the arguments and options of one subcommand\n", out);
}

} // namespace

void PrintCommandHelp(const ZmcliCommand& command, std::FILE* out)
{
    std::fprintf(out, "usage: zmcli %s %s\n%s\n", command.pszName, command.pszArguments,
                 command.pszSummary);
    size_t width = 0;
    for (const ZmcliOption* o = command.pOptions; o && o->pszName; o++)
        width = std::strlen(o->pszName) > width ? std::strlen(o->pszName) : width;
    for (const ZmcliOption* o = command.pOptions; o && o->pszName; o++)
        std::fprintf(out, "  %-*s  %s\n", (int)width, o->pszName, o->pszDescription);
}

int ZmcliUsage(const char* name)
{
    if (const ZmcliCommand* c = Find(name))
        PrintCommandHelp(*c, stderr);
    return 2;
}

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
        PrintCommandHelp(*c, stdout);
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
