// zmcli restore ARCHIVE [-a] [-t] [-c] [-o]: restores a whole archive, printing the
// engine's message lines; exit 0 when everything was restored, 1 when the archive
// could not be opened, was damaged or anything else was reported, 2 on bad usage.
#pragma once

int RestoreCommand(int argc, char** argv);
