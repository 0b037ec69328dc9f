// Judging the names stored in archive records before they become paths: a drive
// ("C:"), or one component that names an entry inside its directory and nothing
// else (not ".", "..", a device, an empty name or one with a separator).
#pragma once

#include <cstddef>

// A letter and a colon, the name of a top-level directory record.
bool IsDriveName(const char* name, size_t length);
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1..COM9, LPT1..LPT9, with any
// extension and in any letter case: names Windows takes for devices anywhere.
bool IsDeviceName(const char* name, size_t length);
// One path component: not empty, no control character, none of \ / : * ? " < > |,
// not only dots and blanks, not a device name.
bool IsSafeComponent(const char* name, size_t length);
