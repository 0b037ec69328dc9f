// zmcli list ARCHIVE: prints one line per record (offset, type, full path, sizes,
// attributes and times where stored) without restoring anything; exit 1 on an
// archive that cannot be opened or is damaged, 2 on bad usage.
#pragma once

int ListCommand(int argc, char** argv);
