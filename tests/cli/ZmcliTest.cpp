// zmcli as a front end: the table of subcommands, help and unknown names, every
// option described, and the lzss subcommand running the archive writer's and the
// restore engine's coding paths on real files.
#include "cli/BenchCorpus.h"
#include "cli/LzssBaseline.h"
#include "tests/cli/ZmcliRunner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

// Every subcommand of the table named on a line "  zmcli NAME ...".
void ExpectEverySubcommand(const std::string& text)
{
    int count = 0;
    for (const ZmcliCommand* c = g_ZmcliCommands; c->pszName; c++, count++)
        EXPECT_NE(text.find(std::string("  zmcli ") + c->pszName + " "), std::string::npos)
            << c->pszName << " missing from:\n" << text;
#ifdef _WIN32
    EXPECT_EQ(count, 8);
#else
    EXPECT_EQ(count, 5);
#endif
}

} // namespace

TEST(Zmcli, NoSubcommandOrAnUnknownOneListsEverySubcommand)
{
    CScratchDir dir;
    Outcome o = Zmcli(dir, {});
    EXPECT_EQ(o.code, 2);
    EXPECT_EQ(o.out, "");
    ExpectEverySubcommand(o.err);

    o = Zmcli(dir, {"frobnicate", "x"});
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("unknown subcommand frobnicate"), std::string::npos);
    ExpectEverySubcommand(o.err);

    o = Zmcli(dir, {"help", "frobnicate"});
    EXPECT_EQ(o.code, 2);
    ExpectEverySubcommand(o.err);
}

TEST(Zmcli, HelpListsOnStandardOutputAndNamesOneSubcommand)
{
    CScratchDir dir;
    for (const char* help : {"--help", "-h", "help"}) {
        Outcome o = Zmcli(dir, {help});
        EXPECT_EQ(o.code, 0) << help;
        EXPECT_EQ(o.err, "") << help;
        ExpectEverySubcommand(o.out);
    }
    Outcome o = Zmcli(dir, {"help", "compare"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out.rfind("usage: zmcli compare OLD.zmr NEW.zmr", 0), 0u) << o.out;
}

namespace {

// The words of a usage line, brackets, repeats and alternatives taken off:
// "[-o] [-r FILE.reg] ARCHIVE DIR [ITEM...] | --bench" gives -o, -r, FILE.reg,
// ARCHIVE, DIR, ITEM, --bench.
std::set<std::string> UsageWords(const std::string& usage)
{
    std::set<std::string> words;
    std::string word;
    for (char c : usage + " ") {
        if (c == ' ' || c == '[' || c == ']' || c == '|') {
            while (word.size() > 3 && word.compare(word.size() - 3, 3, "...") == 0)
                word.resize(word.size() - 3);
            if (!word.empty())
                words.insert(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

TEST(Zmcli, HelpDescribesEveryOptionOfEverySubcommandInOneStyle)
{
    CScratchDir dir;
    for (const ZmcliCommand* c = g_ZmcliCommands; c->pszName; c++) {
        SCOPED_TRACE(c->pszName);
        Outcome o = Zmcli(dir, {"help", c->pszName});
        EXPECT_EQ(o.code, 0);
        std::vector<std::string> lines = Lines(o.out);
        ASSERT_GE(lines.size(), 3u) << o.out;
        EXPECT_EQ(lines[0], std::string("usage: zmcli ") + c->pszName + " " + c->pszArguments);
        EXPECT_EQ(lines[1], c->pszSummary);
        ASSERT_NE(c->pOptions, nullptr);

        // Every option of the usage line has its line, and every line names
        // something of the usage line.
        const std::set<std::string> words = UsageWords(c->pszArguments);
        std::set<std::string> described;
        size_t count = 0;
        for (const ZmcliOption* opt = c->pOptions; opt->pszName; opt++, count++) {
            const std::string name = opt->pszName;
            const std::string first = name.substr(0, name.find(' '));
            EXPECT_TRUE(words.count(first)) << name << " is not in the usage line";
            described.insert(first);
            ASSERT_LT(2 + count, lines.size());
            const std::string& line = lines[2 + count];
            EXPECT_EQ(line.compare(0, 2 + name.size(), "  " + name), 0) << line;
            EXPECT_GT(std::strlen(opt->pszDescription), 10u) << name;
            EXPECT_EQ(line.substr(line.size() - std::strlen(opt->pszDescription)), opt->pszDescription);
            // Descriptions line up in one column.
            EXPECT_EQ(line.find(opt->pszDescription), lines[2].find(c->pOptions[0].pszDescription)) << line;
        }
        EXPECT_EQ(lines.size(), 2 + count) << o.out;
        for (const std::string& w : words) {
            if (w[0] == '-') {
                EXPECT_TRUE(described.count(w)) << w << " has no line of its own";
            }
        }

        // Wrong arguments end with the same help, on standard error.
        o = Zmcli(dir, {c->pszName, "--no-such-option"});
        EXPECT_EQ(o.code, 2);
        EXPECT_EQ(o.out, "");
        Outcome help = Zmcli(dir, {"help", c->pszName});
        ASSERT_GE(o.err.size(), help.out.size());
        EXPECT_EQ(o.err.substr(o.err.size() - help.out.size()), help.out) << o.err;
    }
}

TEST(Zmcli, SubcommandsGetTheirOwnArguments)
{
    CScratchDir dir;
    // compare with one report only: its own usage, exit 2.
    Outcome o = Zmcli(dir, {"compare", (dir / "a.zmr")});
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("usage: zmcli compare"), std::string::npos) << o.err;
    o = Zmcli(dir, {"lzss"});
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("usage: zmcli lzss"), std::string::npos) << o.err;
}

TEST(Zmcli, LzssCodesAFileAsOneArchiveBlockAndExpandsItBack)
{
    CScratchDir dir;
    for (size_t size : {(size_t)0, (size_t)1, (size_t)4096, (size_t)300000}) {
        SCOPED_TRACE(size);
        Bytes data = TextBytes(size, 7);
        ASSERT_TRUE(WriteFileBytes(dir / "in.bin", data));
        Outcome o = Zmcli(dir, {"lzss", "e", dir / "in.bin", dir / "block.bin"});
        ASSERT_EQ(o.code, 0) << o.err;

        // The block: plain size, code size, then exactly the reference coder's code.
        Bytes block = ReadFileBytes(dir / "block.bin");
        ASSERT_GE(block.size(), 8u);
        DWORD plain = 0, code = 0;
        std::memcpy(&plain, block.data(), 4);
        std::memcpy(&code, block.data() + 4, 4);
        EXPECT_EQ(plain, size);
        ASSERT_EQ(code, block.size() - 8);
        CLzssBaseline reference(data.data(), data.size());
        reference.Encode();
        EXPECT_TRUE(Bytes(block.begin() + 8, block.end()) == reference.m_out);

        o = Zmcli(dir, {"lzss", "d", dir / "block.bin", dir / "back.bin"});
        ASSERT_EQ(o.code, 0) << o.err;
        EXPECT_TRUE(ReadFileBytes(dir / "back.bin") == data);
    }
}

TEST(Zmcli, LzssRefusesABlockThatDoesNotDecodeToItsSize)
{
    CScratchDir dir;
    Bytes data = TextBytes(20000, 3);
    ASSERT_TRUE(WriteFileBytes(dir / "in.bin", data));
    ASSERT_EQ(Zmcli(dir, {"lzss", "e", dir / "in.bin", dir / "block.bin"}).code, 0);
    Bytes block = ReadFileBytes(dir / "block.bin");

    // A plain size larger than the code gives: exit 1, no output left behind.
    Bytes wrong = block;
    DWORD plain = 20001;
    std::memcpy(wrong.data(), &plain, 4);
    ASSERT_TRUE(WriteFileBytes(dir / "wrong.bin", wrong));
    Outcome o = Zmcli(dir, {"lzss", "d", dir / "wrong.bin", dir / "back.bin"});
    EXPECT_EQ(o.code, 1);
    EXPECT_FALSE(FileExistsAt(dir / "back.bin"));

    // A cut block is not one block.
    Bytes cut(block.begin(), block.begin() + block.size() / 2);
    ASSERT_TRUE(WriteFileBytes(dir / "cut.bin", cut));
    o = Zmcli(dir, {"lzss", "d", dir / "cut.bin", dir / "back.bin"});
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("is not one block"), std::string::npos) << o.err;
    EXPECT_FALSE(FileExistsAt(dir / "back.bin"));

    o = Zmcli(dir, {"lzss", "e", dir / "missing.bin", dir / "x.bin"});
    EXPECT_EQ(o.code, 1);
    EXPECT_FALSE(FileExistsAt(dir / "x.bin"));
}

TEST(Zmcli, LzssBestCodesSmallerBlocksThatExpandWithEveryDecoder)
{
    CScratchDir dir;
    const Bytes inputs[] = {{}, TextBytes(10, 1), TextCorpus(200000), BinaryCorpus(200000)};
    for (const Bytes& data : inputs) {
        SCOPED_TRACE(data.size());
        ASSERT_TRUE(WriteFileBytes(dir / "in.bin", data));
        ASSERT_EQ(Zmcli(dir, {"lzss", "e", dir / "in.bin", dir / "greedy.bin"}).code, 0);
        Outcome o = Zmcli(dir, {"lzss", "e", "--best", dir / "in.bin", dir / "best.bin"});
        ASSERT_EQ(o.code, 0) << o.err;
        const Bytes greedy = ReadFileBytes(dir / "greedy.bin"), best = ReadFileBytes(dir / "best.bin");
        ASSERT_GE(best.size(), 8u);
        DWORD plain = 0, code = 0;
        std::memcpy(&plain, best.data(), 4);
        std::memcpy(&code, best.data() + 4, 4);
        EXPECT_EQ(plain, data.size());
        ASSERT_EQ(code, best.size() - 8);
        if (data.size() > 1000) {
            EXPECT_LT(best.size(), greedy.size());
        } else {
            EXPECT_LE(best.size(), greedy.size());
        }
        CLzssBaseline reference(best.data() + 8, code);
        reference.Decode();
        EXPECT_TRUE(reference.m_out == data);
        ASSERT_EQ(Zmcli(dir, {"lzss", "d", dir / "best.bin", dir / "back.bin"}).code, 0);
        EXPECT_TRUE(ReadFileBytes(dir / "back.bin") == data);
    }
    EXPECT_EQ(Zmcli(dir, {"lzss", "d", "--best", dir / "best.bin", dir / "back.bin"}).code, 2);
}
