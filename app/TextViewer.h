// The two texts the program carries (ReadMe and the licence): written from the
// program's "RT_TXT" resources into a file of the current directory and handed
// to the system's viewer for text files. The file stays on disk.
#pragma once

#include "framework/Platform.h"

class CTextViewer {
public:
    // Writes the resource's bytes, exactly, to the file (replacing one of that
    // name); TRUE when all of them were written. A file that could not be
    // written whole is not left behind.
    static BOOL WriteText(UINT resourceId, const char* fileName);
    // Writes the file and shell-opens it, with the default verb, whether or
    // not the write succeeded (an older copy may still be there to show).
    static void Show(HWND parent, UINT resourceId, const char* fileName);
};
