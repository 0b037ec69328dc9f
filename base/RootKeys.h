// The seven predefined registry roots, known by their 32-bit handle values
// 0x80000000 .. 0x80000006 in archives, reports and the job's key list, and the
// operating-system families that name two of them differently.
#pragma once

#include "framework/Platform.h"

// g_osFamily values.
enum { OS_WIN9X = 0, OS_NT4 = 1, OS_NT5 = 2 };

enum : DWORD { ROOT_KEY_FIRST = 0x80000000u, ROOT_KEY_LAST = 0x80000006u };

inline bool IsRootCode(DWORD code) { return code >= ROOT_KEY_FIRST && code <= ROOT_KEY_LAST; }

// Name of a root for logs, reports and trees ("HKEY_CLASSES_ROOT", ...). Codes
// other than 0x80000000..0x80000003 and 0x80000005 are named by the family:
// "HKEY_DYN_DATA" on family 0, "HKEY_PERFORMANCE_DATA" otherwise.
const char* RootKeyName(DWORD root, BYTE osFamily);
// Code of a root from its full name (case-insensitive), 0 when not a root name.
DWORD RootKeyFromName(const char* name);

// The family of a version: 0 for the Windows 95 platform, 1 for NT up to 4,
// 2 for NT 5 (2000/XP) and later.
BYTE OsFamilyOf(DWORD platformId, DWORD majorVersion);

#ifdef _WIN32
// The handle of a predefined root from its code (sign-extended on 64-bit
// Windows, as the system's own constants are), and back.
inline HKEY RootKeyHandle(DWORD code) { return (HKEY)(ULONG_PTR)(LONG_PTR)(LONG)code; }
inline DWORD RootKeyCode(HKEY root) { return (DWORD)(ULONG_PTR)root; }
// The family of the running system.
BYTE RunningOsFamily();
#endif
