// zmcli as a front end: the table of subcommands, help and unknown names, and
// the lzss subcommand running the archive writer's and the restore engine's
// coding paths on real files.
#include "cli/Zmcli.h"
#include "cli/LzssBaseline.h"
#include "tests/support/OutputCapture.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

// Runs a whole zmcli command line in process, standard output and standard
// error each sent to a file of the scratch directory.
Outcome Zmcli(const CScratchDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), "zmcli");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    COutputCapture capture(dir / "out.txt", dir / "err.txt");
    Outcome o;
    o.code = ZmcliMain((int)argv.size(), argv.data());
    capture.Stop();
    o.out = capture.Out();
    o.err = capture.Err();
    return o;
}

// Every subcommand of the table named on a line "  zmcli NAME ...".
void ExpectEverySubcommand(const std::string& text)
{
    int count = 0;
    for (const ZmcliCommand* c = g_ZmcliCommands; c->pszName; c++, count++)
        EXPECT_NE(text.find(std::string("  zmcli ") + c->pszName + " "), std::string::npos)
            << c->pszName << " missing from:\n" << text;
#ifdef _WIN32
    EXPECT_EQ(count, 6);
#else
    EXPECT_EQ(count, 3);
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
