#include "tests/restore/RestoreTestSupport.h"

#include "base/JobState.h"

#include <cstring>
#include <memory>

RestoreOptions::RestoreOptions(int attributes, int times, int clear, int overwrite)
{
    g_bRestoreAttributes = (BYTE)attributes;
    g_bRestoreTimes = (BYTE)times;
    g_bClearFolders = (BYTE)clear;
    g_bOverwriteFiles = (BYTE)overwrite;
}

RestoreOptions::~RestoreOptions()
{
    g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;
}

std::vector<std::string> RestoreWhole(const std::string& archive)
{
    std::unique_ptr<CRecordedRestore> restore(new CRecordedRestore);
    restore->RestoreAll(nullptr, archive.c_str(), nullptr, nullptr, nullptr, nullptr);
    return restore->m_messages;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines)
        s += "[" + line + "]";
    return s;
}

bool ReadDosStamp(const std::string& path, DosStamp& stamp)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME access, write, local;
    bool ok = GetFileTime(h, nullptr, &access, &write) != 0;
    CloseHandle(h);
    ok = ok && FileTimeToLocalFileTime(&access, &local) &&
         FileTimeToDosDateTime(&local, &stamp.accessDate, &stamp.accessTime);
    ok = ok && FileTimeToLocalFileTime(&write, &local) &&
         FileTimeToDosDateTime(&local, &stamp.writeDate, &stamp.writeTime);
    return ok;
}

bool SameStamp(const DosStamp& a, const DosStamp& b)
{
    return a.accessDate == b.accessDate && a.accessTime == b.accessTime &&
           a.writeDate == b.writeDate && a.writeTime == b.writeTime;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool IsDirectoryAt(const std::string& path)
{
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::set<std::string> ListNames(const std::string& dir)
{
    std::set<std::string> names;
    std::string base = dir;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((base + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(fd.cFileName, ".") && std::strcmp(fd.cFileName, ".."))
            names.insert(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

static void ListTreeInto(const std::string& base, const std::string& rel, std::set<std::string>& out)
{
    for (const std::string& name : ListNames(base + rel)) {
        std::string path = rel + name;
        if (IsDirectoryAt(base + path)) {
            out.insert(path + "\\");
            ListTreeInto(base, path + "\\", out);
        } else {
            out.insert(path);
        }
    }
}

std::set<std::string> ListTree(const std::string& dir)
{
    std::set<std::string> out;
    std::string base = dir;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    ListTreeInto(base, "", out);
    return out;
}

std::string ParentDir(const std::string& dir)
{
    std::string d = dir.substr(0, dir.size() - 1);
    return d.substr(0, d.rfind('\\') + 1);
}

std::string LastComponent(const std::string& dir)
{
    std::string d = dir.substr(0, dir.size() - 1);
    return d.substr(d.rfind('\\') + 1);
}

CTestKey::CTestKey(const std::string& name) : m_path("Software\\ZelmoraTest\\" + name)
{
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
}

CTestKey::~CTestKey()
{
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
    // The shared parent goes once no test uses it any more.
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZelmoraTest");
}

void DeleteKeyTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    for (;;) {
        char name[MAX_PATH];
        DWORD n = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        size_t before = SubkeyNames(path).size();
        DeleteKeyTree(root, path + "\\" + name);
        if (SubkeyNames(path).size() >= before)
            break; // could not be removed: stop rather than loop
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

bool QueryValue(const std::string& keyPath, const std::string& name, DWORD& type, Bytes& data)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data.assign(size, 0);
        ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, size ? data.data() : nullptr,
                              &size) == ERROR_SUCCESS;
        data.resize(size);
    }
    RegCloseKey(key);
    return ok;
}

bool KeyExists(const std::string& keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::set<std::string> SubkeyNames(const std::string& keyPath)
{
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; i++) {
        char name[MAX_PATH];
        DWORD n = sizeof name;
        if (RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

std::set<std::string> ValueNames(const std::string& keyPath)
{
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; i++) {
        char name[16384];
        DWORD n = sizeof name;
        if (RegEnumValueA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}
