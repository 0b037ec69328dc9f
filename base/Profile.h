// Typed reading and writing of INI-file keys through the profile functions.
// Every call names the file explicitly; nothing goes to win.ini.
#pragma once

#include "framework/Platform.h"

// True when the key's text (at most four characters are read) is "True" or "1",
// ignoring case; the default is written as "True" or "False".
BOOL ProfileReadBool(const char* file, const char* section, const char* key, BOOL def);
// Decimal integer (at most 14 characters); text that is not a number reads as 0.
int ProfileReadInt(const char* file, const char* section, const char* key, int def);
// Hexadecimal integer in "%X" form (at most 14 characters).
int ProfileReadHex(const char* file, const char* section, const char* key, int def);
// Reads up to size - 1 characters into buffer; returns the length read.
DWORD ProfileReadString(const char* file, const char* section, const char* key, const char* def,
                        char* buffer, DWORD size);

BOOL ProfileWriteBool(const char* file, const char* section, const char* key, BOOL value);
BOOL ProfileWriteInt(const char* file, const char* section, const char* key, int value);
BOOL ProfileWriteHex(const char* file, const char* section, const char* key, int value);
BOOL ProfileWriteString(const char* file, const char* section, const char* key, const char* value);
