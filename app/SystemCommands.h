// The commands of the "Сервис", "Приложения" and "Утилиты" menus: power off,
// reboot, quick reboot, log-off, closing every program, the boot floppy, the
// user's settings editor and the standard Windows tools. Each is one call
// through the system-call seam; none asks or reports anything.
#pragma once

#include "framework/Platform.h"

// A tool of the "Утилиты" menu: its command, the program's bare file name (the
// shell's search finds it) and whether it starts in the system directory
// rather than the Windows directory.
struct ToolCommand {
    UINT nId;
    const char* pszProgram;
    BOOL bSystemDir;
};

class CSystemCommands {
public:
    // The twenty tools, in menu order.
    static const ToolCommand kTools[];
    static const size_t kToolCount;

    // The tool of a command, or null.
    static const ToolCommand* FindTool(UINT id);

    // Carries out a system, settings-editor or tool command, with parent as
    // the owner of whatever starts; FALSE when id is none of them.
    // settingsEditor is the program chosen in the settings.
    static BOOL Execute(UINT id, HWND parent, const char* settingsEditor);

    // The settings editor's working directory: its path cut at the last
    // backslash (the backslash removed); a path without one is kept whole.
    static void EditorDirectory(const char* path, char* dir /* MAX_PATH */);
};
