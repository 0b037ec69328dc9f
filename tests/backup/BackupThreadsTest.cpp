// The writer with its blocks coded on helper threads: the same archive byte for
// byte whatever the number of threads, and a cancel at any point leaves neither
// an archive nor a thread behind.
#include "base/JobState.h"
#include "tests/backup/BackupTestSupport.h"
#include "tests/support/LineRecorder.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

namespace {

const DWORD HKCU_CODE = 0x80000001u;
const size_t HEADER_TIME_END = 28; // magic, flags, then the creation time

// Threads of this process now.
int ThreadCount()
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 t = {};
    t.dwSize = sizeof t;
    int n = 0;
    for (BOOL ok = Thread32First(snap, &t); ok; ok = Thread32Next(snap, &t))
        n += t.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

// Many small files in nested directories, empty ones, one past the writer's
// 4 MiB output buffer that still goes to the helpers, one past the piece size
// (coded piece by piece by the writer), and one that cannot be opened.
struct Tree {
    CScratchDir dir;
    std::string locked;
    HANDLE lock = INVALID_HANDLE_VALUE;

    Tree()
    {
        unsigned seed = 1;
        for (int d = 0; d < 4; d++) {
            std::string sub = dir / ("d" + std::to_string(d));
            CreateDirectoryA(sub.c_str(), nullptr);
            CreateDirectoryA((sub + "\\inner").c_str(), nullptr);
            for (int f = 0; f < 40; f++) {
                size_t size = (f % 7 == 0) ? 0 : (size_t)(seed * 7919 % 60000);
                Bytes data = f % 3 ? TextBytes(size, seed) : RandomBytes(size, seed);
                MakeFile(sub + "\\f" + std::to_string(f) + ".dat", data);
                MakeFile(sub + "\\inner\\g" + std::to_string(f) + ".txt", TextBytes(size / 3, seed + 1));
                seed++;
            }
        }
        MakeFile(dir / "d1\\large.bin", RandomBytes(5 << 20, 77));
        MakeFile(dir / "d2\\pieces.txt", TextBytes(7 << 20, 78));
        locked = dir / "d3\\locked.txt";
        MakeFile(locked, TextBytes(1000, 79));
        lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~Tree()
    {
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
    }
};

class BackupThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_piece = CCompress::s_nMaxPiece;
        CCompress::s_nMaxPiece = 6 << 20;
    }
    void TearDown() override { CCompress::s_nMaxPiece = m_piece; }
    DWORD m_piece = 0;
};

TEST_F(BackupThreads, SameArchiveWithAnyNumberOfThreads)
{
    Tree tree;
    ASSERT_NE(INVALID_HANDLE_VALUE, tree.lock);
    CTestKey key("Threads");
    key.SetValue("V", "large", REG_BINARY, RandomBytes(200000, 5));
    key.SetValue("V", "text", REG_SZ, TextBytes(5000, 6));
    CScratchDir work;
    // Times left out: directory records carry the time of the run.
    ResetJob(1, 1, 0, 1);
    AddPath(tree.dir.Path());
    AddPath(tree.dir / "d0\\f1.dat");
    AddKey(HKCU_CODE, key.Path());

    BackupOutcome single = RunBackup(work / "one.zma", 0, 1);
    ASSERT_EQ(CBackup::RESULT_OK, single.result);
    Bytes expected = ReadFileBytes(work / "one.zma");
    ASSERT_GT(expected.size(), 5u << 20);
    EXPECT_EQ(std::vector<std::string>{tree.locked}, single.unreadable);
    for (unsigned threads : {2u, 3u, 8u, 0u}) {
        std::string name = work / ("t" + std::to_string(threads) + ".zma");
        BackupOutcome many = RunBackup(name, 0, threads);
        ASSERT_EQ(CBackup::RESULT_OK, many.result) << threads;
        Bytes got = ReadFileBytes(name);
        ASSERT_EQ(expected.size(), got.size()) << threads;
        EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 12, got.begin())) << threads;
        EXPECT_TRUE(std::equal(expected.begin() + HEADER_TIME_END, expected.end(), got.begin() + HEADER_TIME_END))
            << threads;
        EXPECT_EQ(single.log, many.log) << threads;
        EXPECT_EQ(single.unreadable, many.unreadable) << threads;
    }
    // The independent walker reads it whole.
    WalkedArchive w = WalkArchive(expected);
    EXPECT_TRUE(w.ok) << w.error;
    const WalkedRecord* large = w.FindFile(tree.dir / "d1\\large.bin");
    ASSERT_NE(nullptr, large);
    EXPECT_EQ(5u << 20, large->plainSize);
    EXPECT_GT(large->codeSize, 4u << 20);
}

TEST_F(BackupThreads, CancelAtAnyPointLeavesNoArchiveAndNoThread)
{
    Tree tree;
    CScratchDir work;
    int before = ThreadCount();
    for (int cancelAt : {1, 2, 30, 150, 300}) {
        ResetJob(1, 1, 1, 0);
        AddPath(tree.dir.Path());
        CLineRecorder recorder;
        CBackup* b = new CBackup;
        b->SetOutput(&recorder);
        std::string archive = work / ("c" + std::to_string(cancelAt) + ".zma");
        b->SetArchivePath(archive.c_str());
        b->m_nCodingThreads = 4;
        recorder.onItem = [&](const std::string&) {
            if ((int)recorder.items.size() == cancelAt)
                b->m_bCancel = 1;
        };
        b->Run();
        EXPECT_EQ(1, b->m_bCancel) << cancelAt;
        delete b;
        EXPECT_FALSE(FileExistsAt(archive)) << cancelAt;
        EXPECT_EQ(before, ThreadCount()) << cancelAt;
        EXPECT_EQ(0, g_bEngineBusy);
    }
}

} // namespace
