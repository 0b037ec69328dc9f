// Helpers shared by the restore tests: restore options set and reset around a
// test, whole-archive restores with no controls, attributes of files, and a
// registry subtree of the tests' own (stamps and listings: ArchiveTestSupport).
#pragma once

#include "restore/Restore.h"
#include "tests/restore/ArchiveTestSupport.h"
#include "tests/support/LineRecorder.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// Sets the four restore options for the life of the object, then clears them.
struct RestoreOptions {
    RestoreOptions(int attributes = 0, int times = 0, int clear = 0, int overwrite = 0);
    ~RestoreOptions();
};

// Restores the whole archive with no controls; returns the message lines.
// The restore engine with its lines kept in m_messages instead of shown.
class CRecordedRestore : public CRestore {
public:
    CRecordedRestore() { SetOutput(&m_recorder); }
    CLineRecorder m_recorder;
    std::vector<std::string>& m_messages = m_recorder.lines;
};

std::vector<std::string> RestoreWhole(const std::string& archive);
std::string JoinLines(const std::vector<std::string>& lines);

DWORD Attributes(const std::string& path);

// Runs a zmcli subcommand's function in process; what it prints goes to *out
// without carriage returns.
int RunCommand(int (*command)(int, char**), const CScratchDir& dir, std::vector<std::string> args,
               std::string* out = nullptr);

// Gives a file or directory distinct old stamps (local time, even seconds, last
// access after last write) made from `days`.
void SetStamps(const std::string& path, int days);
// Whether the file system here takes Cyrillic names: Wine can give files names
// outside ASCII only when the Unix locale it runs in has a character set that
// holds them.
bool CyrillicNamesWork(const CScratchDir& dir);

// The parent directory of a directory path that ends in a backslash, with its
// backslash ("C:\a\b\" -> "C:\a\").
std::string ParentDir(const std::string& dir);
// The last component of a directory path ending in a backslash.
std::string LastComponent(const std::string& dir);

// HKCU\Software\ZelmoraTest\<name>, removed (with its whole tree) at both ends.
class CTestKey {
public:
    explicit CTestKey(const std::string& name);
    ~CTestKey();
    // The path below HKEY_CURRENT_USER.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& sub) const { return m_path + "\\" + sub; }

private:
    std::string m_path;
};

void DeleteKeyTree(HKEY root, const std::string& path);
// A value as the registry returns it; false when it does not exist.
bool QueryValue(const std::string& keyPath, const std::string& name, DWORD& type, Bytes& data);
bool KeyExists(const std::string& keyPath);
// Subkey names and value names of a key below HKEY_CURRENT_USER.
std::set<std::string> SubkeyNames(const std::string& keyPath);
std::set<std::string> ValueNames(const std::string& keyPath);

// Every key and value of a subtree below HKEY_CURRENT_USER, by path relative to
// its top.
struct KeySnapshot {
    std::map<std::string, std::map<std::string, std::pair<DWORD, Bytes>>> values;
    std::set<std::string> keys;
};
void SnapshotKey(const std::string& path, const std::string& rel, KeySnapshot& s);
// One line per key and per value (type and data in hex), for comparing.
std::string Describe(const KeySnapshot& s);
// Creates the key below HKEY_CURRENT_USER if needed and sets the value; a test
// failure when either fails.
void Put(const std::string& keyPath, const std::string& name, DWORD type, const Bytes& data);
