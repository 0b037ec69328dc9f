#include "app/CommandLine.h"
#include "base/JobState.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(ArchiveFlags, 0, sizeof(ArchiveFlags));
        g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;
        g_szArchiveName[0] = 0;
    }
    void Parse(const char* text) { cmd.Parse(text); }
    CCommandLine cmd;
};

TEST_F(CommandLineTest, EmptyLineSetsNothing)
{
    Parse("");
    EXPECT_FALSE(cmd.m_bAutorun);
    EXPECT_FALSE(cmd.m_bReboot);
    EXPECT_FALSE(cmd.m_bSystemRestore);
    EXPECT_STREQ("", g_szArchiveName);
    for (BYTE f : ArchiveFlags)
        EXPECT_EQ(0, f);
}

TEST_F(CommandLineTest, EveryOptionInAnyOrderWithEitherPrefix)
{
    Parse("-reboot /ro_rwf -ro_cf /ro_rft -ro_rfa /ro_rr -ro_rf /rs /autorun C:\\a.zma");
    EXPECT_TRUE(cmd.m_bAutorun);
    EXPECT_TRUE(cmd.m_bReboot);
    EXPECT_TRUE(cmd.m_bSystemRestore);
    EXPECT_EQ(1, ArchiveFlags[AF_FILES]);
    EXPECT_EQ(0, ArchiveFlags[AF_ATTRIBUTES]);
    EXPECT_EQ(0, ArchiveFlags[AF_TIMES]);
    EXPECT_EQ(1, ArchiveFlags[AF_REGISTRY]);
    EXPECT_EQ(1, g_bRestoreAttributes);
    EXPECT_EQ(1, g_bRestoreTimes);
    EXPECT_EQ(1, g_bClearFolders);
    EXPECT_EQ(1, g_bOverwriteFiles);
    EXPECT_STREQ("C:\\a.zma", g_szArchiveName);
}

TEST_F(CommandLineTest, LongerNamesWinOverTheirPrefixes)
{
    // ro_rfa and ro_rft are options of their own, not ro_rf.
    Parse("/ro_rfa");
    EXPECT_EQ(1, g_bRestoreAttributes);
    EXPECT_EQ(0, ArchiveFlags[AF_FILES]);
    Parse("/ro_rft");
    EXPECT_EQ(1, g_bRestoreTimes);
    EXPECT_EQ(0, g_bRestoreAttributes); // cleared again by the second parse
    EXPECT_EQ(0, ArchiveFlags[AF_FILES]);
    Parse("/ro_rf");
    EXPECT_EQ(1, ArchiveFlags[AF_FILES]);
    EXPECT_EQ(0, g_bRestoreTimes);
    // An unknown tail after ro_rf still means ro_rf.
    ArchiveFlags[AF_FILES] = 0;
    Parse("/ro_rfx");
    EXPECT_EQ(1, ArchiveFlags[AF_FILES]);
    EXPECT_EQ(0, g_bRestoreAttributes);
}

TEST_F(CommandLineTest, OptionsMatchCaseInsensitivelyOverTheirNameOnly)
{
    Parse("-AUTORUN /RebootNow");
    EXPECT_TRUE(cmd.m_bAutorun);
    EXPECT_TRUE(cmd.m_bReboot);
    CCommandLine other;
    other.Parse("/autorunX /RS");
    EXPECT_TRUE(other.m_bAutorun);
    EXPECT_TRUE(other.m_bSystemRestore);
}

TEST_F(CommandLineTest, UnknownAndShortOptionsAreIgnored)
{
    Parse("/r /x - / /reb /auto /ro_ name.zma");
    EXPECT_FALSE(cmd.m_bAutorun);
    EXPECT_FALSE(cmd.m_bReboot);
    EXPECT_FALSE(cmd.m_bSystemRestore);
    for (BYTE f : ArchiveFlags)
        EXPECT_EQ(0, f);
    EXPECT_EQ(0, g_bRestoreAttributes + g_bRestoreTimes + g_bClearFolders + g_bOverwriteFiles);
    EXPECT_STREQ("name.zma", g_szArchiveName);
}

TEST_F(CommandLineTest, RestoreOptionsAreClearedButArchiveFlagsOnlySet)
{
    g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 1;
    ArchiveFlags[AF_FILES] = ArchiveFlags[AF_REGISTRY] = 1;
    Parse("x.zma");
    EXPECT_EQ(0, g_bRestoreAttributes + g_bRestoreTimes + g_bClearFolders + g_bOverwriteFiles);
    EXPECT_EQ(1, ArchiveFlags[AF_FILES]);
    EXPECT_EQ(1, ArchiveFlags[AF_REGISTRY]);
}

TEST_F(CommandLineTest, QuotedNameKeepsItsBlanks)
{
    Parse("/autorun \"C:\\My Archives\\Arc 0001.zma\" /reboot");
    EXPECT_TRUE(cmd.m_bAutorun);
    EXPECT_TRUE(cmd.m_bReboot);
    EXPECT_STREQ("C:\\My Archives\\Arc 0001.zma", g_szArchiveName);
}

TEST_F(CommandLineTest, LastNameWinsAndTrailingBlankClearsIt)
{
    Parse("first.zma second.zma");
    EXPECT_STREQ("second.zma", g_szArchiveName);
    Parse("/autorun first.zma ");
    EXPECT_TRUE(cmd.m_bAutorun);
    EXPECT_STREQ("", g_szArchiveName);
    // Two blanks make an empty argument between them, which is a name too.
    Parse("a.zma  /rs");
    EXPECT_STREQ("", g_szArchiveName);
}

TEST_F(CommandLineTest, QuoteHandling)
{
    // The first character (the quote) and the last one are taken off.
    Parse("\"abc\"");
    EXPECT_STREQ("abc", g_szArchiveName);
    Parse("\"\"");
    EXPECT_STREQ("", g_szArchiveName);
    Parse("\"");
    EXPECT_STREQ("", g_szArchiveName);
    // A quote inside an argument keeps its blank and stays in the name.
    Parse("C:\\a\" b\"\\c.zma");
    EXPECT_STREQ("C:\\a\" b\"\\c.zma", g_szArchiveName);
    // An option with a quoted part: the blank inside quotes does not split.
    Parse("/autorun\" x\" y.zma");
    EXPECT_TRUE(cmd.m_bAutorun);
    EXPECT_STREQ("y.zma", g_szArchiveName);
}

TEST_F(CommandLineTest, OnlyTheFirst259CharactersCount)
{
    std::string line = "/autorun " + std::string(300, 'n');
    Parse(line.c_str());
    EXPECT_EQ(259u - 9u, std::strlen(g_szArchiveName));
    // An option past the limit is never seen.
    std::string longer = std::string(255, 'n') + " /reboot";
    CCommandLine other;
    other.Parse(longer.c_str());
    EXPECT_FALSE(other.m_bReboot);
}

} // namespace
