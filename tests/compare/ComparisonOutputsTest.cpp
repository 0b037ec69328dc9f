// What a comparison makes besides its lines: the registry scripts in both
// directions and the HTML page (on Linux also rendered by a real browser).
#include "base/Cp1251.h"
#include "compare/CompareCore.h"
#include "compare/HtmlReport.h"
#include "compare/RegistryDiff.h"
#include "compare/ReportMemory.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// Two states of HKEY_CURRENT_USER: the root's default value changes, a key
// keeps one value, changes one, changes the type of another (same bytes),
// loses one and gains one whose name holds a backslash; a key with a subkey
// goes, a key with an empty subkey comes.
void MakeReports(CReportWriter& older, CReportWriter& newer)
{
    older.SetTime(2025, 1, 10, 8, 0, 0, 0);
    newer.SetTime(2025, 1, 10, 9, 30, 0, 0);
    older.AddEntry(SEC_REGISTRY, "HKEY_CURRENT_USER").records = {
        KeyRec("\\"),
        ValueRec("\\@", 1, Sz("root")),
        KeyRec("Keep"),
        ValueRec("Keep\\s", 1, Sz("old \"quoted\" C:\\path")),
        ValueRec("Keep\\gone", 4, std::string("\x78\x56\x34\x12", 4)),
        ValueRec("Keep\\same", 3, "ab"),
        ValueRec("Keep\\typ", 3, "abcd"),
        KeyRec("Keep\\Sub"),
        KeyRec("Old"),
        ValueRec("Old\\v", 1, Sz("x")),
        KeyRec("Old\\Deep"),
        ValueRec("Old\\Deep\\w", 7, Sz("a") + Sz("b") + std::string(1, '\0')),
    };
    newer.AddEntry(SEC_REGISTRY, "HKEY_CURRENT_USER").records = {
        KeyRec("\\"),
        ValueRec("\\@", 1, Sz("root2")),
        KeyRec("Keep"),
        ValueRec("Keep\\s", 1, Sz("новое")),
        ValueRec("Keep\\same", 3, "ab"),
        ValueRec("Keep\\typ", 4, "abcd"),
        ValueRec("Keep\\a\\b", 2, Sz("%TEMP%")),
        KeyRec("Keep\\Sub"),
        KeyRec("New"),
        KeyRec("New\\Empty"),
    };
}

struct Compared {
    CRegistryDiff registry;
    CHtmlReport page;
    CLinesOutput lines;
    int result = -1;
};

void Compare(const Bytes& a, const Bytes& b, Compared& c)
{
    CReportMemory ra(a.data(), a.size()), rb(b.data(), b.size());
    CCompareCore core(&c.lines, nullptr);
    core.AddObserver(&c.registry);
    core.AddObserver(&c.page);
    c.result = core.Run(&ra, "a.zmr", &rb, "b.zmr");
}

const char kRedo[] = "REGEDIT4\r\n"
                     "\r\n[-HKEY_CURRENT_USER\\Old]\r\n"
                     "\r\n[HKEY_CURRENT_USER]\r\n"
                     "@=\"root2\"\r\n"
                     "\r\n[HKEY_CURRENT_USER\\Keep]\r\n"
                     "\"s\"=\"новое\"\r\n"
                     "\"typ\"=dword:64636261\r\n"
                     "\"a\\\\b\"=hex(2):25,54,45,4d,50,25,00\r\n"
                     "\"gone\"=-\r\n"
                     "\r\n[HKEY_CURRENT_USER\\New]\r\n"
                     "\r\n[HKEY_CURRENT_USER\\New\\Empty]\r\n"
                     "\r\n";

const char kUndo[] = "REGEDIT4\r\n"
                     "\r\n[-HKEY_CURRENT_USER\\New]\r\n"
                     "\r\n[HKEY_CURRENT_USER]\r\n"
                     "@=\"root\"\r\n"
                     "\r\n[HKEY_CURRENT_USER\\Keep]\r\n"
                     "\"s\"=\"old \\\"quoted\\\" C:\\\\path\"\r\n"
                     "\"gone\"=dword:12345678\r\n"
                     "\"typ\"=hex:61,62,63,64\r\n"
                     "\"a\\\\b\"=-\r\n"
                     "\r\n[HKEY_CURRENT_USER\\Old]\r\n"
                     "\"v\"=\"x\"\r\n"
                     "\r\n[HKEY_CURRENT_USER\\Old\\Deep]\r\n"
                     "\"w\"=hex(7):61,00,62,00,00\r\n"
                     "\r\n";

TEST(RegistryScript, RedoAndUndoInEitherOrderOfTheReports)
{
    CReportWriter older, newer;
    MakeReports(older, newer);
    Bytes a = older.Build(), b = newer.Build();
    for (int swapped = 0; swapped < 2; swapped++) {
        Compared c;
        if (swapped)
            Compare(b, a, c); // the comparison puts the older report first itself
        else
            Compare(a, b, c);
        ASSERT_EQ(CCompareCore::RESULT_COMPARED, c.result);
        EXPECT_TRUE(c.registry.HasValues());
        EXPECT_TRUE(c.registry.IsComplete());
        EXPECT_EQ(1u, c.registry.RootCount());
        EXPECT_EQ(kRedo, c.registry.Script(false)) << swapped;
        EXPECT_EQ(kUndo, c.registry.Script(true)) << swapped;
    }
}

TEST(RegistryScript, NothingChangedGivesAnEmptyScript)
{
    CReportWriter older, unused;
    MakeReports(older, unused);
    Bytes a = older.Build();
    Compared c;
    Compare(a, a, c);
    EXPECT_EQ("REGEDIT4\r\n\r\n", c.registry.Script(false));
    EXPECT_EQ("REGEDIT4\r\n\r\n", c.registry.Script(true));
}

TEST(RegistryScript, WithoutValuesOrWithADamagedBlockThereIsNoScript)
{
    CReportWriter older(true, true, true, false), newer(true, true, true, false);
    older.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\")};
    newer.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\"), KeyRec("S")};
    Compared c;
    Compare(older.Build(), newer.Build(), c);
    EXPECT_FALSE(c.registry.HasValues());

    CReportWriter whole, damaged;
    MakeReports(whole, damaged);
    Bytes bad = damaged.Build();
    bad.resize(bad.size() - 3); // the last record runs past the end of the file
    Compared d;
    Compare(whole.Build(), bad, d);
    EXPECT_TRUE(d.registry.HasValues());
    EXPECT_FALSE(d.registry.IsComplete());
}

// A report with differences in every section, for the page.
void MakeMixedReports(CReportWriter& older, CReportWriter& newer)
{
    MakeReports(older, newer);
    older.AddEntry(SEC_DIRECTORIES, "C:\\Игры").records = {FileRec("C:\\Игры\\a<b>&c.txt", 1),
                                                          FileRec("C:\\Игры\\старый.txt", 5)};
    newer.AddEntry(SEC_DIRECTORIES, "C:\\Игры").records = {FileRec("C:\\Игры\\a<b>&c.txt", 2),
                                                          DirRec("C:\\Игры\\Новый")};
    older.AddEntry(SEC_SETTINGS, "C:\\WINDOWS\\win.ini").records = {LineRec("[windows]"), LineRec("run=")};
    newer.AddEntry(SEC_SETTINGS, "C:\\WINDOWS\\win.ini").records = {LineRec("[windows]"), LineRec("run=\"x.exe\"")};
}

TEST(HtmlReport, CountsAndEveryLineEscapedInUtf8)
{
    CReportWriter older, newer;
    MakeMixedReports(older, newer);
    Compared c;
    Compare(older.Build(), newer.Build(), c);
    ASSERT_EQ(CCompareCore::RESULT_COMPARED, c.result);
    EXPECT_EQ(1u, c.page.Count(CCompareObserver::SECTION_DIRECTORIES, CCompareObserver::LINE_CREATED));
    EXPECT_EQ(1u, c.page.Count(CCompareObserver::SECTION_DIRECTORIES, CCompareObserver::LINE_DELETED));
    EXPECT_EQ(1u, c.page.Count(CCompareObserver::SECTION_DIRECTORIES, CCompareObserver::LINE_CHANGED));
    EXPECT_EQ(3u, c.page.Count(CCompareObserver::SECTION_REGISTRY, CCompareObserver::LINE_CREATED));
    EXPECT_EQ(5u, c.page.Count(CCompareObserver::SECTION_REGISTRY, CCompareObserver::LINE_DELETED));
    EXPECT_EQ(1u, c.page.Count(CCompareObserver::SECTION_SETTINGS_FILES, CCompareObserver::LINE_CREATED));
    EXPECT_EQ(1u, c.page.Count(CCompareObserver::SECTION_SETTINGS_FILES, CCompareObserver::LINE_DELETED));
    std::string page = c.page.Page();
    EXPECT_EQ(0u, page.find("<!DOCTYPE html>"));
    EXPECT_NE(std::string::npos, page.find("<meta charset=\"utf-8\">"));
    EXPECT_EQ(std::string::npos, page.find("<script"));
    EXPECT_EQ(std::string::npos, page.find("http"));
    EXPECT_NE(std::string::npos, page.find("2025-01-10 08:00:00 UTC"));
    for (const std::string& line : c.lines.m_lines)
        EXPECT_NE(std::string::npos, page.find(CHtmlReport::Escape(line) + "</")) << line;
    EXPECT_NE(std::string::npos, page.find("a&lt;b&gt;&amp;c.txt"));
    EXPECT_NE(std::string::npos, page.find(Cp1251ToUtf8(std::string("C:\\Игры\\Новый"))));
}

#ifndef _WIN32
// The text of every element of the class "line" in a rendered page's DOM.
std::vector<std::string> LineTexts(const std::string& dom)
{
    std::vector<std::string> texts;
    for (size_t at = dom.find("class=\"line"); at != std::string::npos; at = dom.find("class=\"line", at + 1)) {
        size_t start = dom.find('>', at) + 1, end = dom.find("</", start);
        std::string t = dom.substr(start, end - start), plain;
        for (size_t k = 0; k < t.size(); k++) {
            static const char* const entities[][2] = {{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}};
            bool replaced = false;
            for (const auto& e : entities)
                if (!replaced && t.compare(k, std::strlen(e[0]), e[0]) == 0) {
                    plain += e[1];
                    k += std::strlen(e[0]) - 1;
                    replaced = true;
                }
            if (!replaced)
                plain += t[k];
        }
        texts.push_back(plain);
    }
    return texts;
}

const char kChromium[] = "/usr/bin/chromium";
const char kChromiumFlags[] = " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                              " --disable-background-networking --disable-component-update --disable-sync";

// Debian's Chromium renders the page: its DOM holds every line of the
// comparison, as the comparison wrote it; a screenshot is left in the build
// folder to be looked at.
TEST(HtmlReport, RenderedByABrowser)
{
    if (access(kChromium, X_OK) != 0)
        GTEST_SKIP() << kChromium << " is not installed (tools/install-deps.sh installs it)";
    CReportWriter older, newer;
    MakeMixedReports(older, newer);
    Compared c;
    Compare(older.Build(), newer.Build(), c);
    CScratchDir dir;
    std::string html = dir / "diff.html", dom = dir / "dom.html", profile = dir / "profile";
    std::string page = c.page.Page();
    ASSERT_TRUE(WriteFileBytes(html, Bytes(page.begin(), page.end())));
    std::string flags = std::string(kChromiumFlags) + " --user-data-dir=" + profile;
    std::string dump = std::string(kChromium) + flags + " --dump-dom file://" + html + " > " + dom + " 2>/dev/null";
    ASSERT_EQ(0, std::system(dump.c_str()));
    Bytes rendered = ReadFileBytes(dom);
    std::vector<std::string> texts = LineTexts(std::string(rendered.begin(), rendered.end()));
    ASSERT_EQ(c.lines.m_lines.size(), texts.size());
    for (size_t k = 0; k < texts.size(); k++)
        EXPECT_EQ(Cp1251ToUtf8(c.lines.m_lines[k]), texts[k]);
    std::string shot = std::string(ZM_TEST_OUTPUT_DIR) + "/compare-page.png";
    std::string screenshot = std::string(kChromium) + flags + " --window-size=900,1000 --screenshot=" + shot +
                             " file://" + html + " > /dev/null 2>&1";
    EXPECT_EQ(0, std::system(screenshot.c_str()));
    EXPECT_TRUE(FileExistsAt(shot));
}
#endif

} // namespace
