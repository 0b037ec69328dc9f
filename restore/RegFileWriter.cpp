#include "restore/RegFileWriter.h"

#include <cstdio>

namespace {

enum : DWORD { kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4 };

// Longest line before the break after a comma.
const size_t kLineWidth = 76;

std::string Quoted(const char* text, size_t length)
{
    std::string s = "\"";
    for (size_t i = 0; i < length; i++) {
        if (text[i] == '\\' || text[i] == '"')
            s += '\\';
        s += text[i];
    }
    return s + "\"";
}

// A string whose quoted form imports as exactly these bytes.
bool PlainString(const BYTE* data, DWORD size)
{
    if (size == 0 || data[size - 1] != 0)
        return false;
    for (DWORD i = 0; i + 1 < size; i++)
        if (data[i] < 32)
            return false;
    return true;
}

} // namespace

CRegFileWriter::CRegFileWriter() : m_text("REGEDIT4\r\n"), m_column(0) {}

void CRegFileWriter::Key(const std::string& path)
{
    m_text += "\r\n[" + path + "]\r\n";
}

void CRegFileWriter::Value(const std::string& name, DWORD type, const BYTE* data, DWORD size)
{
    std::string line = name.empty() ? "@" : Quoted(name.data(), name.size());
    line += '=';
    if (type == kRegSz && PlainString(data, size)) {
        m_text += line + Quoted((const char*)data, size - 1) + "\r\n";
        return;
    }
    if (type == kRegDword && size == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x",
                      (unsigned)(data[0] | (data[1] << 8) | (data[2] << 16) | ((DWORD)data[3] << 24)));
        m_text += line + text + "\r\n";
        return;
    }
    if (type == kRegBinary) {
        line += "hex:";
    } else {
        char text[24];
        std::snprintf(text, sizeof text, "hex(%x):", (unsigned)type);
        line += text;
    }
    m_text += line;
    m_column = line.size();
    Hex(data, size);
    m_text += "\r\n";
}

void CRegFileWriter::Hex(const BYTE* data, DWORD size)
{
    static const char kDigits[] = "0123456789abcdef";
    for (DWORD i = 0; i < size; i++) {
        m_text += kDigits[data[i] >> 4];
        m_text += kDigits[data[i] & 15];
        m_column += 2;
        if (i + 1 == size)
            break;
        m_text += ',';
        m_column++;
        if (m_column > kLineWidth) {
            m_text += "\\\r\n  ";
            m_column = 2;
        }
    }
}
