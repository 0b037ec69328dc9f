// End to end: reports written by the real scanner before and after real changes
// to a directory tree, a settings file and a registry subtree, then compared.
#include "base/JobState.h"
#include "compare/Compare.h"
#include "compare/CompareCore.h"
#include "scan/Scan.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/compare/RegistryStandIn.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

typedef std::vector<std::string> Lines;

void MakeFile(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(WriteFileBytes(path, Bytes(text.begin(), text.end()))) << path;
}

std::string AttributeText(DWORD a)
{
    char text[CCompareCore::ATTRIBUTE_TEXT];
    return CCompareCore::FormatAttributes(a, text);
}

// The lines between the entry line named and the next entry or heading line,
// sorted: the walks list items in the file system's and registry's own order.
Lines Body(const Lines& lines, const std::string& entryLine)
{
    auto at = std::find(lines.begin(), lines.end(), entryLine);
    Lines body;
    if (at == lines.end())
        return {"no line " + entryLine};
    for (++at; at != lines.end() && at->compare(0, 4, "    ") != 0 &&
               at->compare(0, 8, "Каталог ") != 0 && at->compare(0, 5, "Ключ ") != 0 &&
               at->compare(0, 5, "Файл ") != 0;
         ++at)
        body.push_back(*at);
    std::sort(body.begin(), body.end());
    return body;
}

Lines Sorted(Lines v)
{
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

TEST(CompareScan, ReportsOfTheScannerBeforeAndAfterRealChanges)
{
    CRegistryStandIn reg;
    ASSERT_TRUE(reg.Ok());
    CScratchDir dir;
    const std::string tree = dir / "tree";
    const std::string ini = dir / "win.ini";
    ASSERT_TRUE(CreateDirectoryA(tree.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((tree + "\\sub1").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((tree + "\\sub2").c_str(), nullptr));
    MakeFile(tree + "\\top.txt", "top");
    MakeFile(tree + "\\sub1\\a.txt", "aaa");
    MakeFile(tree + "\\sub1\\b.txt", "bbb");
    MakeFile(tree + "\\sub2\\c.txt", "ccc");
    MakeFile(ini, "[windows]\r\nload=\r\nrun=\r\n\r\n[Desktop]\r\nWallpaper=(None)\r\n");
    reg.Set("", "keep", REG_SZ, "1");
    reg.Set("Soft", "v", REG_SZ, "a");
    reg.Set("Soft", "old", REG_SZ, "o");
    reg.Set("Soft", "same", REG_DWORD, std::string("\x01\x00\x00\x00", 4));
    reg.Create("Soft\\Deep");

    const std::string before = dir / "before.zmr", after = dir / "after.zmr";
    ScanReport(before, tree + "\\", ini);
    DWORD bAttributes = GetFileAttributesA((tree + "\\sub1\\b.txt").c_str());
    DWORD subAttributes = GetFileAttributesA((tree + "\\sub1").c_str());
    Sleep(30); // a later scan time

    MakeFile(tree + "\\sub1\\new.txt", "new");
    ASSERT_TRUE(DeleteFileA((tree + "\\sub2\\c.txt").c_str()));
    MakeFile(tree + "\\top.txt", "top, longer now");
    ASSERT_TRUE(SetFileAttributesA((tree + "\\sub1").c_str(), subAttributes | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((tree + "\\sub1\\b.txt").c_str(), bAttributes | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryA((tree + "\\newdir").c_str(), nullptr));
    MakeFile(tree + "\\newdir\\x.txt", "x");
    MakeFile(ini, "[windows]\r\nload=\r\nrun=\r\nnew=1\r\n\r\n[Desktop]\r\nWallpaper=(None)\r\n");
    reg.Set("", "", REG_SZ, "default");
    reg.Set("Soft\\New", "x", REG_SZ, "x");
    reg.Set("Soft", "v", REG_SZ, "b");
    reg.DeleteValue("Soft", "old");
    reg.Set("Soft", "same", REG_BINARY, std::string("\x01\x00\x00\x00", 4));
    reg.DeleteKey("Soft\\Deep");
    ScanReport(after, tree + "\\", ini);
    ASSERT_TRUE(SetFileAttributesA((tree + "\\sub1\\b.txt").c_str(), FILE_ATTRIBUTE_NORMAL));

    for (bool newerFirst : {false, true}) {
        CompareResult r = newerFirst ? RunCompareFiles(after, before) : RunCompareFiles(before, after);
        ASSERT_EQ(r.result, CCompareCore::RESULT_COMPARED);
        Lines headings;
        for (const std::string& l : r.lines)
            if (l.compare(0, 4, "    ") == 0 && l.compare(0, 8, "        ") != 0)
                headings.push_back(l);
        EXPECT_EQ(headings, (Lines{kHeadings[0], kHeadings[1], kHeadings[2], kHeadings[3]}));
        EXPECT_EQ(r.lines.back(), kNotDone) << r.Text();

        EXPECT_EQ(Body(r.lines, "Каталог " + tree + ":"),
                  Sorted({"Создан файл " + tree + "\\sub1\\new.txt",
                          "Создан подкаталог " + tree + "\\newdir",
                          "Создан файл " + tree + "\\newdir\\x.txt",
                          "Удален файл " + tree + "\\sub2\\c.txt",
                          "Изменен размер файла " + tree + "\\top.txt",
                          "Изменены атрибуты каталога " + tree + "\\sub1 с " + AttributeText(subAttributes) +
                              " на " + AttributeText(subAttributes | FILE_ATTRIBUTE_HIDDEN),
                          "Изменены атрибуты файла " + tree + "\\sub1\\b.txt с " +
                              AttributeText(bAttributes) + " на " +
                              AttributeText(bAttributes | FILE_ATTRIBUTE_READONLY)}))
            << r.Text();
        EXPECT_EQ(Body(r.lines, "Ключ HKEY_CURRENT_USER:"),
                  Sorted({"Создана переменная \\@", "Создан раздел Soft\\New",
                          "Создана переменная Soft\\New\\x", "Удален раздел Soft\\Deep",
                          "Удалена переменная Soft\\old", "Изменено значение переменной Soft\\v"}))
            << r.Text();
        EXPECT_EQ(Body(r.lines, "Файл " + ini + ":"), (Lines{"Вставлена строка \"new=1\""})) << r.Text();

        EXPECT_EQ(Sorted(r.paths),
                  Sorted({tree + "\\sub1\\new.txt", tree + "\\newdir\\", tree + "\\newdir\\x.txt",
                          tree + "\\top.txt", tree + "\\sub1", tree + "\\sub1\\b.txt"}));
        EXPECT_EQ(Sorted(r.keys),
                  Sorted({"HKEY_CURRENT_USER\\\\@", "HKEY_CURRENT_USER\\Soft\\New\\",
                          "HKEY_CURRENT_USER\\Soft\\New\\x", "HKEY_CURRENT_USER\\Soft\\v"}));
        EXPECT_EQ(r.filesFlag, 1);
        EXPECT_EQ(r.registryFlag, 1);
        // The literal search gives the same.
        CompareResult literal = RunCompareFiles(before, after, true);
        EXPECT_EQ(literal.lines, RunCompareFiles(before, after).lines);
    }

    // A report compared with itself.
    CompareResult same = RunCompareFiles(after, after);
    EXPECT_EQ(Body(same.lines, "Каталог " + tree + ":"), (Lines{kNoDifferences}));
    EXPECT_EQ(Body(same.lines, "Ключ HKEY_CURRENT_USER:"), (Lines{kNoDifferences}));
    EXPECT_TRUE(same.paths.empty());
    EXPECT_TRUE(same.keys.empty());
}
