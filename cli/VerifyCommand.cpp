#include "cli/VerifyCommand.h"

#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"
#include "restore/ArchiveVerifier.h"

#include <cstring>
#include <new>

int VerifyCommand(int argc, char** argv)
{
    const char* archive = nullptr;
    bool verbose = false, sums = true;
    for (int i = 0; i < argc; i++) {
        if (!std::strcmp(argv[i], "-v"))
            verbose = true;
        else if (!std::strcmp(argv[i], "--no-sums"))
            sums = false;
        else if (argv[i][0] == '-' || archive)
            return ZmcliUsage("verify");
        else
            archive = argv[i];
    }
    if (!archive)
        return ZmcliUsage("verify");

    CConsoleOutput console;
    console.SetNativeText(true);
    CArchiveVerifier::Result result = CArchiveVerifier::NOT_AN_ARCHIVE;
    try {
        CArchiveVerifier verifier(console, verbose, sums);
        result = verifier.Verify(archive);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "zmcli verify: out of memory\n");
        return 1;
    }
    std::fflush(stdout);
    if (result == CArchiveVerifier::NOT_AN_ARCHIVE) {
        std::fprintf(stderr, "zmcli verify: %s cannot be opened or is not an archive\n", archive);
        return 1;
    }
    return result == CArchiveVerifier::WHOLE ? 0 : 1;
}
