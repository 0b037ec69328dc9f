// zmcli restore ARCHIVE [-a] [-t] [-c] [-o]: restores a whole archive, printing the
// engine's message lines; exit 0 when everything was restored, 1 when the archive
// could not be opened, was damaged or anything else was reported, 2 on bad usage.
//
// zmcli list ARCHIVE: prints one line per record (offset, type, full path, sizes,
// attributes and times where stored) without restoring anything; exit 1 on an
// archive that cannot be opened or is damaged.
#pragma once

int RestoreCommand(int argc, char** argv);
int ListCommand(int argc, char** argv);
