// zmcli: runs the engines from the command line, one subcommand per engine.
#include "compare/CompareCommand.h"
#include "compress/LzssCommand.h"
#ifdef _WIN32
#include "scan/ScanCommand.h"
#endif
#ifdef _WIN32
#include "backup/ArchiveCommand.h"
#endif
#ifdef _WIN32
#include "restore/RestoreCommand.h"
#endif

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "lzss") == 0)
        return LzssCommand(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "compare") == 0)
        return CompareCommand(argc - 2, argv + 2);
#ifdef _WIN32
    if (argc >= 2 && std::strcmp(argv[1], "scan") == 0)
        return ScanCommand(argc - 2, argv + 2);
#endif
#ifdef _WIN32
    if (argc >= 2 && std::strcmp(argv[1], "archive") == 0)
        return ArchiveCommand(argc - 2, argv + 2);
#endif
#ifdef _WIN32
    if (argc >= 2 && std::strcmp(argv[1], "restore") == 0)
        return RestoreCommand(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "list") == 0)
        return ListCommand(argc - 2, argv + 2);
#endif
    std::fprintf(stderr, "usage: zmcli lzss ...\n");
    return 2;
}
