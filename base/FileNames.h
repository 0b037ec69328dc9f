// Small file-name helpers shared by the wizards: numbered default names
// (Arc0000.zma, Rep0000.zmr, ...), existence tests and path splitting.
// All paths are 8-bit (code page 1251) strings of at most MAX_PATH characters.
#pragma once

#include "framework/Platform.h"

// Writes into out (MAX_PATH bytes) the next numbered name in folder:
// folder + "\" + prefix + four-digit number + "." + extension, the number being
// one more than the highest four-digit number found among the folder's
// prefix*.extension files (0 in an empty folder; gaps are not reused). The
// folder is created first. A name that exists already is never proposed: the
// number is raised until the name is free. An empty folder means the current
// directory.
void MakeNumberedName(char* out, const char* prefix, const char* extension, const char* folder);

// True if the path names an existing file (not a directory).
BOOL FileExists(const char* path);
// True if the path's attributes can be read and include the directory bit.
BOOL IsDirectory(const char* path);
// Cuts the path in place after its last backslash (the backslash stays); a
// path without a backslash is left unchanged.
void DirectoryPart(char* path);
// The text after the last backslash: empty when the path ends in a backslash,
// the whole path when it has none.
const char* FileNamePart(const char* path);
// True for the "." and ".." entries of a directory listing.
inline bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}
