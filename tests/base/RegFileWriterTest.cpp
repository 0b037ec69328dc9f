// The REGEDIT4 text, byte for byte: each kind of value, the escapes, the long hex
// lines broken as regedit breaks them, and the values that must go as hex to
// import back unchanged.
#include "base/RegFileWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string ValueLine(const std::string& name, DWORD type, const Bytes& data)
{
    CRegFileWriter w;
    w.Key("K");
    w.Value(name, type, data.data(), (DWORD)data.size());
    std::string text = w.Text();
    const std::string head = "REGEDIT4\r\n\r\n[K]\r\n";
    EXPECT_EQ(text.compare(0, head.size(), head), 0);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
    return text.substr(head.size(), text.size() - head.size() - 4);
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Counting(size_t n)
{
    Bytes b;
    for (size_t i = 0; i < n; i++)
        b.push_back((unsigned char)i);
    return b;
}

} // namespace

TEST(RegFileWriter, EachKindOfValueHasItsForm)
{
    EXPECT_EQ(ValueLine("s", 1, Text(std::string("text", 5))), "\"s\"=\"text\"");
    EXPECT_EQ(ValueLine("", 1, Text(std::string("default", 8))), "@=\"default\"");
    EXPECT_EQ(ValueLine("a\"b\\c", 1, Text(std::string("x\"y\\z", 6))), "\"a\\\"b\\\\c\"=\"x\\\"y\\\\z\"");
    EXPECT_EQ(ValueLine("Имя", 1, Text(std::string("Текст", 6))), "\"Имя\"=\"Текст\"");
    EXPECT_EQ(ValueLine("e", 1, Text(std::string("", 1))), "\"e\"=\"\"");
    EXPECT_EQ(ValueLine("d", 4, MakeBytes({0xEF, 0xBE, 0xAD, 0x0E})), "\"d\"=dword:0eadbeef");
    EXPECT_EQ(ValueLine("b", 3, MakeBytes({0, 0x7F, 0xFF})), "\"b\"=hex:00,7f,ff");
    EXPECT_EQ(ValueLine("b", 3, {}), "\"b\"=hex:");
    EXPECT_EQ(ValueLine("x", 2, Text(std::string("%A%", 4))), "\"x\"=hex(2):25,41,25,00");
    EXPECT_EQ(ValueLine("m", 7, Text(std::string("a\0b\0\0", 5))), "\"m\"=hex(7):61,00,62,00,00");
    EXPECT_EQ(ValueLine("q", 11, MakeBytes({1, 2, 3, 4, 5, 6, 7, 8})), "\"q\"=hex(b):01,02,03,04,05,06,07,08");
    EXPECT_EQ(ValueLine("n", 0, {}), "\"n\"=hex(0):");
    EXPECT_EQ(ValueLine("big", 5, MakeBytes({0, 0, 0, 1})), "\"big\"=hex(5):00,00,00,01");
    EXPECT_EQ(ValueLine("odd", 0x12345678, MakeBytes({9})), "\"odd\"=hex(12345678):09");
}

TEST(RegFileWriter, DataThatAQuotedFormWouldChangeGoesAsHex)
{
    // No terminating NUL, a NUL inside, a line break, no data at all.
    EXPECT_EQ(ValueLine("s", 1, Text("ab")), "\"s\"=hex(1):61,62");
    EXPECT_EQ(ValueLine("s", 1, Text(std::string("a\0b", 4))), "\"s\"=hex(1):61,00,62,00");
    EXPECT_EQ(ValueLine("s", 1, Text(std::string("a\r\nb", 5))), "\"s\"=hex(1):61,0d,0a,62,00");
    EXPECT_EQ(ValueLine("s", 1, {}), "\"s\"=hex(1):");
    // A REG_DWORD that is not four bytes long.
    EXPECT_EQ(ValueLine("d", 4, MakeBytes({1, 2})), "\"d\"=hex(4):01,02");
}

TEST(RegFileWriter, LongHexLinesBreakAfterTheCommaThatPassesColumn76)
{
    // "b1"=hex: is 9 characters: 23 bytes fill the first line to 78, then the
    // next lines take 25 bytes each after two blanks.
    std::string expected = "\"b1\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
                           "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
                           "  30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f";
    EXPECT_EQ(ValueLine("b1", 3, Counting(64)), expected);
    // A line that ends exactly at column 76 with the last byte needs no break.
    EXPECT_EQ(ValueLine("x", 3, Counting(23)),
              "\"x\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16");
    EXPECT_EQ(ValueLine("y", 3, Counting(24)),
              "\"y\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n  17");
    // A name longer than the line: a break after every byte of the first line.
    const std::string name(90, 'n');
    EXPECT_EQ(ValueLine(name, 3, Counting(3)), "\"" + name + "\"=hex:00,\\\r\n  01,02");
    // Every line of a long value stays within 80 characters.
    std::string text = ValueLine("long", 7, Counting(5000));
    size_t start = 0, lines = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        EXPECT_LE(end - start, 80u);
        start = end + 2;
        lines++;
    }
    EXPECT_EQ(lines, 1 + (5000 - 21 + 24) / 25);
}
