// Helpers of the archive-writer tests: job set-up, synchronous and threaded runs,
// the test drive Q: (a directory of the Wine prefix mapped by the test fixture),
// a registry subtree of their own and block decoding.
#pragma once

#include "backup/Backup.h"
#include "tests/backup/ArchiveWalker.h"
#include "tests/support/TestFiles.h"

#include <string>
#include <vector>

// A local time as a file time, and the last-access and last-write times of a file.
FILETIME MakeTime(int y, int mo, int d, int h, int mi, int s);
void SetTimes(const std::string& path, const FILETIME& access, const FILETIME& write);

// Empties the job lists and sets the four flags.
void ResetJob(int files, int attributes, int times, int registry);
void AddPath(const std::string& path);          // directory when it ends in a backslash
void AddKey(DWORD root, const std::string& path);

struct BackupOutcome {
    int result = -1;
    std::vector<std::string> log;
    std::vector<std::string> unreadable;
    std::vector<std::string> skipped;
};

// Runs a CBackup on the calling thread without controls; log lines are collected.
// threads: the coding threads (0: the writer's default).
BackupOutcome RunBackup(const std::string& archive, unsigned long long blockLimit = 0, unsigned threads = 0);

// The test drive Q:, emptied on construction and destruction. Available() is
// false when the fixture did not map it (then tests using it are skipped).
class CTestDrive {
public:
    CTestDrive();
    ~CTestDrive();
    static bool Available();
    static void Empty();
};

#define REQUIRE_TEST_DRIVE()                                                        \
    if (!CTestDrive::Available())                                                   \
    GTEST_SKIP() << "drive Q: is not mapped to the test directory"

// HKCU\Software\ZelmoraTest\<name>, created fresh and removed with its subtree.
class CTestKey {
public:
    explicit CTestKey(const std::string& name);
    ~CTestKey();
    const std::string& Path() const { return m_path; } // below HKEY_CURRENT_USER
    HKEY Create(const std::string& sub) const;         // caller closes
    void SetValue(const std::string& sub, const std::string& name, DWORD type,
                  const Bytes& data) const;

private:
    std::string m_path;
};
void DeleteKeyTree(HKEY root, const std::string& path);

// Decodes a record's block from the archive bytes; false when the code does not
// decode to exactly the plain size.
bool ExpandRecord(const Bytes& archive, const WalkedRecord& record, Bytes& out);

// FAT date and time words of a universal file time, in local time, through the
// system's own conversion.
void ExpectedDosTime(const FILETIME& utc, WORD& date, WORD& time);

// Creates a directory (and its parents); writes a file, creating its directory.
void MakeDirs(const std::string& path);
void MakeFile(const std::string& path, const Bytes& data);

std::string Describe(const WalkedArchive& a);
