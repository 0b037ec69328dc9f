// Helpers shared by the restore tests: restore options set and reset around a
// test, whole-archive restores with no controls, DOS stamps and attributes of
// files, directory listings, and a registry subtree of the tests' own.
#pragma once

#include "restore/Restore.h"
#include "tests/restore/ArchiveBuilder.h"
#include "tests/support/LineRecorder.h"

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

// The DOS stamps of a file or directory (local time), as an archive stores them.
bool ReadDosStamp(const std::string& path, DosStamp& stamp);
bool SameStamp(const DosStamp& a, const DosStamp& b);
DWORD Attributes(const std::string& path);
bool IsDirectoryAt(const std::string& path);

// Names in a directory (without "." and ".."), sorted.
std::set<std::string> ListNames(const std::string& dir);
// Every path below a directory, relative to it, directories ending in '\'.
std::set<std::string> ListTree(const std::string& dir);

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
