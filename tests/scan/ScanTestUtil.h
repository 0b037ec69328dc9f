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
