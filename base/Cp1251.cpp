#include "base/Cp1251.h"

namespace {

// Code points of 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
const unsigned short kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

unsigned CodePoint(unsigned char c)
{
    if (c < 0x80)
        return c;
    if (c >= 0xC0)
        return 0x0410 + (c - 0xC0);
    return kHigh[c - 0x80];
}

// The byte of a code point, or -1.
int ByteOf(unsigned cp)
{
    if (cp < 0x80)
        return (int)cp;
    if (cp >= 0x0410 && cp <= 0x044F)
        return 0xC0 + (int)(cp - 0x0410);
    for (int i = 0; i < 64; i++)
        if (kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

} // namespace

std::string Cp1251ToUtf8(const char* text, size_t length)
{
    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length; i++) {
        unsigned cp = CodePoint((unsigned char)text[i]);
        if (cp < 0x80) {
            out += (char)cp;
        } else if (cp < 0x800) {
            out += (char)(0xC0 | (cp >> 6));
            out += (char)(0x80 | (cp & 0x3F));
        } else {
            out += (char)(0xE0 | (cp >> 12));
            out += (char)(0x80 | ((cp >> 6) & 0x3F));
            out += (char)(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool Utf8ToCp1251(const std::string& text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        unsigned cp;
        size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else {
            return false; // four-byte characters are not in the code page either
        }
        if (i + n > text.size())
            return false;
        for (size_t k = 1; k < n; k++) {
            unsigned char t = (unsigned char)text[i + k];
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms are not UTF-8.
        if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800))
            return false;
        int b = ByteOf(cp);
        if (b < 0)
            return false;
        out += (char)b;
        i += n;
    }
    return true;
}

char Cp1251Upper(char c)
{
    unsigned char u = (unsigned char)c;
    if (u >= 'a' && u <= 'z')
        return (char)(u - 'a' + 'A');
    if (u >= 0xE0)
        return (char)(u - 0x20);
    // Lower-case letters of 0x80..0xBF and their capitals.
    static const unsigned char kPairs[][2] = {
        {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E},
        {0x9F, 0x8F}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xB4, 0xA5}, {0xB8, 0xA8}, {0xBA, 0xAA},
        {0xBF, 0xAF}, {0xB3, 0xB2}, {0xBE, 0xBD},
    };
    for (const auto& p : kPairs)
        if (u == p[0])
            return (char)p[1];
    return c;
}

std::string NativeText(const std::string& cp1251)
{
#ifdef _WIN32
    return cp1251;
#else
    return Cp1251ToUtf8(cp1251);
#endif
}

bool TextFromNative(const std::string& native, std::string& cp1251)
{
#ifdef _WIN32
    cp1251 = native;
    return true;
#else
    return Utf8ToCp1251(native, cp1251);
#endif
}
