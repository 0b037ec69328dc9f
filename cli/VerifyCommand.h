// zmcli verify [-v] ARCHIVE: checks every record and block of an archive (see
// CArchiveVerifier); one line per damaged place, a last line with the numbers of
// records and bytes checked. Exit 0 when the archive is whole, 1 when it is not
// (or is not an archive), 2 on bad usage.
#pragma once

int VerifyCommand(int argc, char** argv);
