#include "tests/support/TestRegistry.h"

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
