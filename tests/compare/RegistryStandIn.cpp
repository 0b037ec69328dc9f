#include "tests/compare/RegistryStandIn.h"

#include "base/JobState.h"
#include "scan/Scan.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

CRegistryStandIn::CRegistryStandIn()
    : m_path("Software\\ZelmoraTest\\Compare" + std::to_string(GetCurrentProcessId()))
{
    RemoveKeyTree(HKEY_CURRENT_USER, m_path);
    m_ok = RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                           nullptr) == ERROR_SUCCESS &&
           RegOverridePredefKey(HKEY_CURRENT_USER, m_key) == ERROR_SUCCESS;
}

CRegistryStandIn::~CRegistryStandIn()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(m_key);
    RemoveKeyTree(HKEY_CURRENT_USER, m_path);
    HKEY parent;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZelmoraTest", 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
        DWORD subkeys = 1, values = 1;
        RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(parent);
        if (subkeys == 0 && values == 0)
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZelmoraTest");
    }
}

void CRegistryStandIn::Set(const char* sub, const char* name, DWORD type, const std::string& data)
{
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(m_key, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, name, 0, type, (const BYTE*)data.data(), (DWORD)data.size()), ERROR_SUCCESS);
    RegCloseKey(k);
}

void CRegistryStandIn::Create(const char* sub)
{
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(m_key, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegCloseKey(k);
}

void CRegistryStandIn::DeleteValue(const char* sub, const char* name)
{
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(m_key, sub, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(k, name), ERROR_SUCCESS);
    RegCloseKey(k);
}

void CRegistryStandIn::DeleteKey(const char* sub) { EXPECT_EQ(RegDeleteKeyA(m_key, sub), ERROR_SUCCESS); }

namespace {

void DumpKey(HKEY key, const std::string& path, std::vector<std::string>& lines)
{
    lines.push_back(path);
    for (DWORD k = 0;; k++) {
        char name[16384];
        BYTE data[65536];
        DWORD nameLength = sizeof name, size = sizeof data, type = 0;
        if (RegEnumValueA(key, k, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        std::string line = path + " | " + std::string(name, nameLength) + " | " + std::to_string(type) + " |";
        for (DWORD b = 0; b < size; b++) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", data[b]);
            line += hex;
        }
        lines.push_back(line);
    }
    for (DWORD k = 0;; k++) {
        char name[MAX_PATH];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, k, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY sub;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            DumpKey(sub, path + "\\" + name, lines);
            RegCloseKey(sub);
        }
    }
}

} // namespace

std::string CRegistryStandIn::Dump() const
{
    std::vector<std::string> lines;
    DumpKey(m_key, "", lines);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& l : lines)
        text += l + "\n";
    return text;
}

void ScanReport(const std::string& path, const std::string& tree, const std::string& ini)
{
    g_PathList.nCount = g_KeyList.nCount = 0;
    g_SettingsFiles.nCount = g_DosFiles.nCount = 0;
    if (!tree.empty())
        AddPathItem(tree.c_str(), 1);
    AddKeyItem(0x80000001u, "HKEY_CURRENT_USER", 1);
    if (!ini.empty())
        AddFileListItem(g_SettingsFiles, ini.c_str());
    const BYTE flags[8] = {1, 1, 1, 0, 1, 1, 1, 1};
    std::copy(flags, flags + 8, ScanFlags);
    CScan* scan = new CScan;
    scan->SetReportPath(path.c_str());
    scan->Run();
    EXPECT_EQ(scan->m_bReportFailed, 0);
    delete scan;
    Bytes report;
    ASSERT_TRUE(ReadFileBytes(path, report));
    ASSERT_GE(report.size(), 32u);
    // The DOS-files list was empty: that section is absent.
    EXPECT_EQ(report[15], 0);
}
