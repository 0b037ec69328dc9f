// Restoring over a file that is there with overwrite on: when the archived file
// cannot be put back whole (its block is damaged, the job is cancelled inside it),
// the file on the disk keeps its contents, attributes and times, and nothing is
// left beside it. The same once more in a child that Wine tells it runs on
// Windows 98, where the replacing moves the old file aside instead. Writes that
// fail on a full disk: replace_write_failure_test.sh.
#include "base/JobState.h"
#include "tests/restore/RestoreTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct DiskState {
    Bytes contents;
    DWORD attributes = 0;
    FILETIME created = {}, accessed = {}, written = {};
    std::vector<std::string> entries; // of the file's directory
};

bool operator==(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

DiskState Look(const std::string& dir, const std::string& file)
{
    DiskState s;
    s.contents = ReadFileBytes(dir + file);
    s.attributes = Attributes(dir + file);
    HANDLE h = CreateFileA((dir + file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        GetFileTime(h, &s.created, &s.accessed, &s.written);
        CloseHandle(h);
    }
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::string(fd.cFileName) != "." && std::string(fd.cFileName) != "..")
                s.entries.push_back(fd.cFileName);
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    return s;
}

enum Outcome { DAMAGED_BLOCK, CANCEL_INSIDE, REPLACED };

struct Row {
    const char* what;
    Outcome outcome;
    DWORD attributes; // of the file on the disk
};

const Row kRows[] = {
    {"damaged block, plain file", DAMAGED_BLOCK, FILE_ATTRIBUTE_ARCHIVE},
    {"damaged block, read-only hidden file", DAMAGED_BLOCK, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
    {"cancel inside a large file", CANCEL_INSIDE, FILE_ATTRIBUTE_ARCHIVE},
    {"cancel inside a large read-only system file", CANCEL_INSIDE,
     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM},
    // and the file that can be put back takes the old one's place
    {"replaced, read-only hidden file", REPLACED, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
};
const DWORD kMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Runs every row; the failures go to the test that runs it.
void RunRows()
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        CScratchDir dir;
        RestoreOptions options(1, 1, 0, 1);
        const std::string tree = dir / "tree\\";
        CreateDirectoryA(tree.c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(tree + "a.txt", TextBytes(5000, 3)));
        SetStamps(tree + "a.txt", 400);
        SetFileAttributesA((tree + "a.txt").c_str(), row.attributes);
        const DiskState before = Look(tree, "a.txt");

        CArchiveBuilder b(1, 1, 1, 0);
        b.Count(1);
        b.Chain(dir.Path(), 1);
        b.Dir("tree", 1);
        std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
        std::vector<std::string> expected;
        if (row.outcome == DAMAGED_BLOCK) {
            // The code decodes to fewer bytes than the record gives.
            b.FileCode("a.txt", 200000, CArchiveBuilder::Encode(TextBytes(150000, 4)), 0, kDefaultStamp);
            expected = {CRestore::kDamaged};
        } else if (row.outcome == REPLACED) {
            b.File("a.txt", TextBytes(70000, 6), FILE_ATTRIBUTE_ARCHIVE, kDefaultStamp);
            expected = {CRestore::kSuccess};
        } else {
            b.File("a.txt", TextBytes(6u << 20, 5), 0, kDefaultStamp);
            CRestore* engine = r.get();
            r->m_recorder.onProgress = [engine](int tenths) {
                if (tenths >= 3)
                    engine->m_bCancel = 1;
            };
        }
        ASSERT_TRUE(b.Save(dir / "a.zma"));
        r->RestoreAll(nullptr, (dir / "a.zma").c_str(), nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(JoinLines(r->m_messages), JoinLines(expected));
        EXPECT_EQ(r->m_bCancel, row.outcome == CANCEL_INSIDE ? 1 : 0);

        DiskState after = Look(tree, "a.txt");
        EXPECT_EQ(JoinLines(after.entries), "[a.txt]") << "nothing but the file is left";
        SetFileAttributesA((tree + "a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        if (row.outcome == REPLACED) {
            EXPECT_EQ(after.contents, TextBytes(70000, 6));
            EXPECT_EQ(after.attributes & kMask, 0u);
            continue;
        }
        EXPECT_EQ(after.contents, before.contents);
        EXPECT_EQ(after.attributes, before.attributes);
        EXPECT_TRUE(after.written == before.written);
        EXPECT_TRUE(after.accessed == before.accessed);
        EXPECT_TRUE(after.created == before.created);
    }
}

} // namespace

TEST(RestoreReplacing, FailedRestoreKeepsTheOldFileWhole) { RunRows(); }

TEST(RestoreReplacing, FailedRestoreKeepsTheOldFileWholeOnWindows98)
{
    std::vector<std::string> lines =
        RunChildOnWindows("win98", "RestoreReplacingChild.Rows", "ZM_REPLACE_RESULT");
    EXPECT_EQ(JoinLines(lines), "[9x ok]");
}

// Run in a child on Windows 98 only: the same rows, through the 9x replacing.
TEST(RestoreReplacingChild, Rows)
{
    const char* out = std::getenv("ZM_REPLACE_RESULT");
    if (!out)
        GTEST_SKIP() << "only run as the child of RestoreReplacing";
    ASSERT_EQ(RunningOsFamily(), OS_WIN9X);
    RunRows();
    if (!::testing::Test::HasFailure())
        WriteText(out, "9x ok\n");
}
