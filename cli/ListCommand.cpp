#include "cli/ListCommand.h"

#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"
#include "restore/ArchiveLister.h"

int ListCommand(int argc, char** argv)
{
    if (argc != 1 || argv[0][0] == '-')
        return ZmcliUsage("list");
    CConsoleOutput console;
    console.SetNativeText(true);
    CArchiveReader reader;
    ArchiveHeader header;
    if (!reader.Open(argv[0]) || !reader.ReadHeader(header) ||
        !CArchiveReader::IsArchiveMagic(header.magic)) {
        console.AddLine(kArchiveOpenError);
        return 1;
    }
    CArchiveLister lister(console);
    CRecordWalker walker(reader, header);
    bool ok = walker.Walk(lister);
    if (!ok)
        console.AddLine(kArchiveDamaged);
    std::fflush(stdout);
    return ok ? 0 : 1;
}
