#include "tests/restore/RestoreTestSupport.h"

#include "base/JobState.h"
#include "tests/restore/StdoutCapture.h"

#include <gtest/gtest.h>

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

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

int RunCommand(int (*command)(int, char**), const CScratchDir& dir, std::vector<std::string> args,
               std::string* out)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    CStdoutCapture capture(dir / "stdout.txt");
    int code = command((int)argv.size(), argv.data());
    std::string text = capture.Text();
    if (out) {
        out->clear();
        for (char c : text)
            if (c != '\r')
                *out += c;
    }
    return code;
}

void SetStamps(const std::string& path, int days)
{
    SYSTEMTIME access = {2019, 5, 0, 1, 10, 20, 30, 0};
    SYSTEMTIME write = {2018, 11, 0, 12, 8, 15, 44, 0};
    access.wDay = (WORD)(1 + days % 28);
    write.wDay = (WORD)(1 + (days * 7) % 28);
    FILETIME localA, localW, a, w;
    SystemTimeToFileTime(&access, &localA);
    SystemTimeToFileTime(&write, &localW);
    LocalFileTimeToFileTime(&localA, &a);
    LocalFileTimeToFileTime(&localW, &w);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << path;
        return;
    }
    SetFileTime(h, nullptr, &a, &w);
    CloseHandle(h);
}

bool CyrillicNamesWork(const CScratchDir& dir)
{
    return WriteFileBytes(dir / "Проба", {}) && DeleteFileA((dir / "Проба").c_str());
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

void SnapshotKey(const std::string& path, const std::string& rel, KeySnapshot& s)
{
    s.keys.insert(rel);
    for (const std::string& name : ValueNames(path)) {
        DWORD type = 0;
        Bytes data;
        QueryValue(path, name, type, data);
        s.values[rel][name] = {type, data};
    }
    DWORD type = 0;
    Bytes data;
    if (QueryValue(path, "", type, data))
        s.values[rel][""] = {type, data};
    for (const std::string& sub : SubkeyNames(path))
        SnapshotKey(path + "\\" + sub, rel + "\\" + sub, s);
}

std::string Describe(const KeySnapshot& s)
{
    std::string out;
    for (const std::string& k : s.keys)
        out += "K " + k + "\n";
    for (const auto& k : s.values)
        for (const auto& v : k.second)
            out += "V " + k.first + " [" + v.first + "] " + std::to_string(v.second.first) + " " +
                   Hex(v.second.second, 100000) + "\n";
    return out;
}

void Put(const std::string& keyPath, const std::string& name, DWORD type, const Bytes& data)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create " << keyPath;
        return;
    }
    if (RegSetValueExA(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                       (DWORD)data.size()) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot set " << keyPath << " " << name;
    RegCloseKey(key);
}
