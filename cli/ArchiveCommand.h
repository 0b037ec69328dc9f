// "zmcli archive OUT.zma [-a] [-t] ITEM...": writes an archive of the given files,
// directories (ending in a backslash) and registry keys (beginning with a root's
// full name), in command-line order. -a stores attributes, -t stores times. Log
// lines go to standard output, what could not be read to standard error. Exit
// code 0 on success, 1 when the archive could not be created or written, 2 on
// bad usage.
#pragma once

int ArchiveCommand(int argc, char** argv);
