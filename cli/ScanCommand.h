// "zmcli scan": writes a report of the directories, registry roots, settings
// files and DOS files named on the command line, printing the progress lines.
//   zmcli scan OUT.zmr [-s] [-a] [-c] [-v] [-d DIR]... [-k ROOT]... [-i FILE]... [-x FILE]...
// Exit code 0 on success, 1 when the report could not be written, 2 on bad usage.
#pragma once

int ScanCommand(int argc, char** argv);
