// Small helpers of the scanner tests: files, directories and a registry subtree
// of the test's own under HKCU\Software\ZelmoraTest, removed afterwards.
#pragma once

#include "framework/Platform.h"

#include <cstring>
#include <string>

void MakeDir(const std::string& path);
void MakeFile(const std::string& path, const std::string& contents);

class CTestKey {
public:
    explicit CTestKey(const char* name);
    ~CTestKey();
    // Path of the subtree relative to HKEY_CURRENT_USER.
    const std::string& Path() const { return m_path; }
    void Create(const char* sub);
    void Set(const char* sub, const char* name, DWORD type, const void* data, DWORD size);

private:
    std::string m_path;
};

// Under Wine: makes a Unix symbolic link at link (a Windows path) pointing to the
// Windows path target. False elsewhere (the caller skips).
bool MakeUnixSymlink(const std::string& target, const std::string& link);
// Removes such a link on the Unix side (from Windows, deleting a link to a file
// deletes its target, and a link to a directory cannot be removed at all).
void RemoveUnixLink(const std::string& link);

// Clears the scan flags and every job list.
void ResetScanJob();

// The listing data of one directory entry, as the directory walk sees it.
WIN32_FIND_DATAA ListingOf(const std::string& path);

// Under Wine: a free drive letter mapped to a directory for the object's life
// ("Q:\"); Letter() is 0 elsewhere or when no letter could be mapped.
class CTestDrive {
public:
    explicit CTestDrive(const std::string& directory);
    ~CTestDrive();
    char Letter() const { return m_letter; }
    std::string Root() const { return std::string(1, m_letter) + ":\\"; }

private:
    char m_letter;
    std::string m_link;
};

// Lets a registry root of this process stand for a test key (HKEY_CURRENT_USER
// standing for HKCU\<path>) for the object's life.
class CRootOverride {
public:
    CRootOverride(HKEY root, const std::string& pathBelowCurrentUser);
    ~CRootOverride();
    bool Ok() const { return m_ok; }

private:
    HKEY m_root;
    bool m_ok;
};
