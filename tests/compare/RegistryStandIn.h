// A registry subtree standing in for HKEY_CURRENT_USER in this process, so that
// a scan of that root sees only what a test put there; and the real scanner run
// over the job state's lists.
#pragma once

#include "framework/Platform.h"

#include <string>

// HKCU\Software\ZelmoraTest\Compare<pid>, removed with the object.
class CRegistryStandIn {
public:
    CRegistryStandIn();
    ~CRegistryStandIn();
    bool Ok() const { return m_ok; }
    // Where the subtree really is, below HKEY_CURRENT_USER (for other processes,
    // which do not see the stand-in).
    const std::string& Path() const { return m_path; }
    void Set(const char* sub, const char* name, DWORD type, const std::string& data);
    void Create(const char* sub);
    void DeleteValue(const char* sub, const char* name);
    void DeleteKey(const char* sub);
    // Every key and value below the stand-in, one sorted line each: key path,
    // value name, type and data in hex.
    std::string Dump() const;

private:
    std::string m_path;
    HKEY m_key = nullptr;
    bool m_ok = false;
};

// Scans into a report at path: the directory tree and the settings file when
// given, and always HKEY_CURRENT_USER, with values; sizes and attributes on,
// creation times off (on Wine's file systems they follow changes of a file's
// contents or a directory's entries).
void ScanReport(const std::string& path, const std::string& tree = "", const std::string& ini = "");
