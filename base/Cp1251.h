// Text in code page 1251, the 8-bit text of archives, reports and the program's
// own strings, and its way to and from UTF-8, the 8-bit text of the Linux build.
#pragma once

#include <cstddef>
#include <string>

// Every byte has a character: 0x00..0x7F are ASCII, 0x98 (unassigned in the code
// page) stands for U+0098 as Windows reads it.
std::string Cp1251ToUtf8(const char* text, size_t length);
inline std::string Cp1251ToUtf8(const std::string& text) { return Cp1251ToUtf8(text.data(), text.size()); }
// False (out holds what was converted before) when the text is not UTF-8 or holds
// a character that code page 1251 does not have.
bool Utf8ToCp1251(const std::string& text, std::string& out);

// The capital of a letter (Latin and Cyrillic letters of the code page); any other
// byte as it is.
char Cp1251Upper(char c);

// Text as this build's 8-bit file and console calls take it: code page 1251 on
// Windows (the ANSI calls), UTF-8 on Linux.
std::string NativeText(const std::string& cp1251);
// And back; false when the native text has no code page 1251 form.
bool TextFromNative(const std::string& native, std::string& cp1251);
