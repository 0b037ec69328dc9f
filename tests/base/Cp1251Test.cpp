// Code page 1251 and UTF-8: every byte there and back, known words against the
// compiler's own UTF-8, what has no code page form, and capitals.
#include "base/Cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251, EveryByteGoesToUtf8AndBack)
{
    std::string all;
    for (int c = 1; c < 256; c++)
        all += (char)c;
    const std::string utf8 = Cp1251ToUtf8(all);
    std::string back;
    ASSERT_TRUE(Utf8ToCp1251(utf8, back));
    EXPECT_EQ(back, all);
    // ASCII as it is, every other byte two or three UTF-8 bytes.
    EXPECT_EQ(utf8.compare(0, 127, all, 0, 127), 0);
    EXPECT_EQ(Cp1251ToUtf8(std::string("\0", 1)), std::string("\0", 1));
}

TEST(Cp1251, WordsReadAsTheCompilerWritesThemInUtf8)
{
    // The narrow literals are code page 1251 (the build's execution character
    // set), the u8 ones UTF-8.
    EXPECT_EQ(Cp1251ToUtf8("Съешь же ещё этих мягких французских булок"),
              u8"Съешь же ещё этих мягких французских булок");
    EXPECT_EQ(Cp1251ToUtf8("ЁЖЗ ёжз Ђђ Ўў Її Єє Ґґ №"), u8"ЁЖЗ ёжз Ђђ Ўў Її Єє Ґґ №");
    EXPECT_EQ(Cp1251ToUtf8("«€ ‰ … — – ™ ©»"), u8"«€ ‰ … — – ™ ©»");
    std::string back;
    ASSERT_TRUE(Utf8ToCp1251(u8"Папка\\Файл.txt", back));
    EXPECT_EQ(back, "Папка\\Файл.txt");
}

TEST(Cp1251, TextWithoutACodePageFormIsRefused)
{
    std::string out;
    EXPECT_FALSE(Utf8ToCp1251("\xE4\xB8\xAD\xE6\x96\x87", out)); // two Chinese characters
    EXPECT_FALSE(Utf8ToCp1251("\xC3\xA4", out)); // a-umlaut: Latin-1, not code page 1251
    EXPECT_FALSE(Utf8ToCp1251("\xF0\x9F\x98\x80", out)); // four bytes
    EXPECT_FALSE(Utf8ToCp1251("\xD0", out));             // cut short
    EXPECT_FALSE(Utf8ToCp1251("\xC0\xAF", out));         // overlong '/'
    EXPECT_FALSE(Utf8ToCp1251("\x80", out));             // a continuation alone
    EXPECT_TRUE(Utf8ToCp1251("", out));
    EXPECT_EQ(out, "");
}

TEST(Cp1251, CapitalsOfLatinAndCyrillicLetters)
{
    const std::string lower = "abcz абвгдежзийклмнопрстуфхцчшщъыьэюя ё ђ ѓ љ њ ќ ћ џ ў ј ґ є ї і ѕ 1.";
    const std::string upper = "ABCZ АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ Ё Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Є Ї І Ѕ 1.";
    ASSERT_EQ(lower.size(), upper.size());
    for (size_t i = 0; i < lower.size(); i++) {
        EXPECT_EQ(Cp1251Upper(lower[i]), upper[i]) << i;
        EXPECT_EQ(Cp1251Upper(upper[i]), upper[i]) << i;
    }
}
