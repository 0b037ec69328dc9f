// The program's command line:
//   [/ro_rf] [/ro_rr] [/ro_rfa] [/ro_rft] [/ro_cf] [/ro_rwf] [/rs] [/autorun]
//   [/reboot] [archivename.zma]
// in any order, "-" also accepted for "/". Options are matched case-insensitively
// over the length of their names (/autorunX means /autorun); unknown options
// are ignored; the last argument that is no option is the archive name, with a
// leading double quote and the last character taken off.
#pragma once

#include "framework/Platform.h"

class CCommandLine {
public:
    CCommandLine();

    // Splits the text after the program name and applies it: sets the archive
    // flags and restore options named, g_szArchiveName, and the three start-up
    // flags below. The four restore options are cleared first.
    void Parse(const char* commandLine);

    BYTE m_bAutorun;
    BYTE m_bReboot;
    BYTE m_bSystemRestore; // delete C:\autoexec.bat before the unattended restore
};
