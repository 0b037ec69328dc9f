#include "tests/scan/ScanTestUtil.h"

#include "base/JobState.h"

#include <gtest/gtest.h>

#include <vector>

void MakeDir(const std::string& path)
{
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

void MakeFile(const std::string& path, const std::string& contents)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD done = 0;
    if (!contents.empty())
        WriteFile(h, contents.data(), (DWORD)contents.size(), &done, nullptr);
    CloseHandle(h);
    ASSERT_EQ(done, contents.size());
}

namespace {
void DeleteTree(HKEY parent, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char sub[260];
    for (;;) {
        DWORD length = sizeof sub;
        if (RegEnumKeyExA(key, 0, sub, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        DeleteTree(key, sub);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}
} // namespace

CTestKey::CTestKey(const char* name)
    : m_path(std::string("Software\\ZelmoraTest\\Scan") + name + std::to_string(GetCurrentProcessId()))
{
    DeleteTree(HKEY_CURRENT_USER, m_path.c_str());
    Create("");
}

CTestKey::~CTestKey()
{
    DeleteTree(HKEY_CURRENT_USER, m_path.c_str());
    HKEY parent;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZelmoraTest", 0, KEY_ALL_ACCESS, &parent) ==
        ERROR_SUCCESS) {
        DWORD subkeys = 0, values = 0;
        RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(parent);
        if (subkeys == 0 && values == 0)
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZelmoraTest");
    }
}

void CTestKey::Create(const char* sub)
{
    std::string path = m_path;
    if (*sub)
        path += std::string("\\") + sub;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void CTestKey::Set(const char* sub, const char* name, DWORD type, const void* data, DWORD size)
{
    std::string path = m_path;
    if (*sub)
        path += std::string("\\") + sub;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, (const BYTE*)data, size), ERROR_SUCCESS);
    RegCloseKey(key);
}

namespace {
typedef char*(CDECL* UnixNameFunc)(LPCWSTR);
typedef LONG(CDECL* SpawnFunc)(char* const argv[], int wait);

std::string UnixName(UnixNameFunc func, const std::string& path)
{
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char* unix = func(wide);
    if (!unix)
        return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}
} // namespace

bool MakeUnixSymlink(const std::string& target, const std::string& link)
{
    UnixNameFunc unixName = (UnixNameFunc)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                "wine_get_unix_file_name");
    SpawnFunc spawn =
        (SpawnFunc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
    if (!unixName || !spawn)
        return false;
    size_t slash = link.find_last_of('\\');
    std::string unixTarget = UnixName(unixName, target);
    std::string unixParent = UnixName(unixName, link.substr(0, slash));
    if (unixTarget.empty() || unixParent.empty())
        return false;
    std::string unixLink = unixParent + "/" + link.substr(slash + 1);
    char* argv[] = {(char*)"/bin/ln", (char*)"-s", (char*)unixTarget.c_str(),
                    (char*)unixLink.c_str(), nullptr};
    return spawn(argv, 1) == 0 && GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}


void ResetScanJob()
{
    std::memset(ScanFlags, 0, sizeof ScanFlags);
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    g_SettingsFiles.nCount = 0;
    g_DosFiles.nCount = 0;
    g_osFamily = OS_NT5;
}

WIN32_FIND_DATAA ListingOf(const std::string& path)
{
    WIN32_FIND_DATAA fd = {};
    HANDLE h = FindFirstFileA(path.c_str(), &fd);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    return fd;
}

namespace {
bool Spawn(std::initializer_list<std::string> args)
{
    SpawnFunc spawn =
        (SpawnFunc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
    if (!spawn)
        return false;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return spawn(argv.data(), 1) == 0;
}
} // namespace

void RemoveUnixLink(const std::string& link)
{
    UnixNameFunc unixName = (UnixNameFunc)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                "wine_get_unix_file_name");
    if (!unixName)
        return;
    size_t slash = link.find_last_of('\\');
    std::string parent = UnixName(unixName, link.substr(0, slash));
    if (!parent.empty())
        Spawn({"/bin/rm", "-f", parent + "/" + link.substr(slash + 1)});
}

CTestDrive::CTestDrive(const std::string& directory) : m_letter(0)
{
    UnixNameFunc unixName = (UnixNameFunc)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                "wine_get_unix_file_name");
    if (!unixName)
        return;
    // .../dosdevices/c: (or c:/) names the folder of the drive links.
    std::string c = UnixName(unixName, "C:\\");
    while (!c.empty() && c.back() == '/')
        c.pop_back();
    size_t slash = c.find_last_of('/');
    std::string target = UnixName(unixName, directory);
    if (slash == std::string::npos || target.empty())
        return;
    std::string devices = c.substr(0, slash + 1);
    for (char letter = 'q'; letter <= 'y'; letter++) {
        std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR)
            continue;
        std::string link = devices + letter + ":";
        if (Spawn({"/bin/ln", "-s", target, link}) &&
            GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
            m_letter = (char)(letter - 'a' + 'A');
            m_link = link;
            return;
        }
        Spawn({"/bin/rm", "-f", link});
    }
}

CTestDrive::~CTestDrive()
{
    if (m_letter)
        Spawn({"/bin/rm", "-f", m_link});
}

CRootOverride::CRootOverride(HKEY root, const std::string& path) : m_root(root), m_ok(false)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    m_ok = RegOverridePredefKey(root, key) == ERROR_SUCCESS;
    RegCloseKey(key);
}

CRootOverride::~CRootOverride()
{
    if (m_ok)
        RegOverridePredefKey(m_root, nullptr);
}
