// Registry keys and values as the text of a REGEDIT4 file, the form regedit reads
// and writes: a "[KEY]" line per key with its root's full name, then one line
// per value. Strings are quoted with \ and " escaped, a four-byte REG_DWORD is
// "dword:%08x", REG_BINARY is "hex:", every other type "hex(N):" (REG_EXPAND_SZ
// hex(2), REG_MULTI_SZ hex(7)), bytes in lower-case hex pairs, the line broken
// with a backslash after the comma that takes it past 76 characters and carried
// on after two blanks. Names and data stay code page 1251 bytes; lines end in
// CR LF. A REG_SZ goes in quotes only when its data reads back as exactly the
// same bytes (one terminating NUL, no other NUL, no control character);
// otherwise it is written as hex(1), so that every value imports as it was.
#pragma once

#include "framework/Platform.h"

#include <string>

class CRegFileWriter {
public:
    CRegFileWriter();

    // A key by its whole path ("HKEY_LOCAL_MACHINE\Software\X").
    void Key(const std::string& path);
    // A value of the last key; an empty name is the key's default value ("@").
    void Value(const std::string& name, DWORD type, const BYTE* data, DWORD size);

    // The whole file so far: "REGEDIT4", then the keys, each after an empty
    // line, and an empty line at the end.
    std::string Text() const { return m_text + "\r\n"; }

private:
    void Hex(const BYTE* data, DWORD size);

    std::string m_text;
    // Characters on the line being written.
    size_t m_column;
};
