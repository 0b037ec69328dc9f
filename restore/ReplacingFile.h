// A file written under a temporary name in its target's folder and renamed to the
// target only when it is complete, so that the target is replaced whole or not
// at all, and an existing target is left alone unless replacing is asked for.
// Whatever fails (the code, a write, a cancel, the rename), the target keeps its
// contents, attributes and times and the temporary file goes. Paths are native
// text (code page 1251 on Windows, UTF-8 on Linux).
//
// Replacing differs per family: the NT family renames over the target in one
// step (MoveFileEx); Windows 95, 98 and ME, whose MoveFileEx does nothing, move
// the old file aside under a temporary name, move the new one in and only then
// delete the old one, moving it back when the new one cannot take its place.
#pragma once

#include "framework/Platform.h"

#include <string>

class CReplacingFile {
public:
    explicit CReplacingFile(const std::string& target);
    // Discards the temporary file unless it was committed.
    ~CReplacingFile();

    // Creates the temporary file (a new name, never an existing entry); false when
    // none can be created.
    bool Create();
    HANDLE Handle() const { return m_hFile; }
    bool Write(const void* data, DWORD size);

    // Gives the file its times (null: left as written) and, when readOnly is set,
    // the read-only attribute, then renames it to the target. An existing target
    // is replaced only when replace is set; its attributes are cleared for the
    // rename and set back when it fails. False (the target untouched, the
    // temporary file removed) when the rename fails.
    bool Commit(bool replace, bool readOnly, const FILETIME* access, const FILETIME* write);
    void Discard();

private:
    std::string m_target;
    std::string m_temp;
    HANDLE m_hFile;
};
