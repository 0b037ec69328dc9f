#include "tests/support/TestRegistry.h"

#include <cstring>
#include <vector>

void RemoveKeyTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::string> names;
    char name[MAX_PATH];
    for (DWORD i = 0;; i++) {
        DWORD n = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    ::RegCloseKey(key);
    for (const std::string& sub : names)
        RemoveKeyTree(root, path + "\\" + sub);
    ::RegDeleteKeyA(root, path.c_str());
}

bool SetStringValue(HKEY root, const std::string& path, const char* name, const char* value)
{
    HKEY key;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    if (name)
        ::RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value, (DWORD)std::strlen(value) + 1);
    ::RegCloseKey(key);
    return true;
}

std::string StringValue(HKEY root, const std::string& path, const char* name)
{
    char data[256] = "";
    DWORD size = sizeof data;
    HKEY key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)data, &size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS ? data : "<no value>";
}
