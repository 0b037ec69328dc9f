#include "tests/scan/ScanTestUtil.h"

#include <gtest/gtest.h>

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
