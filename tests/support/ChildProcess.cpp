#include "tests/support/ChildProcess.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

std::vector<std::string> RunChildOnWindows(const char* version, const char* test, const char* envVar)
{
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const char* name = std::strrchr(exe, '\\') + 1;
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + name;
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                               nullptr, &h, nullptr));
    ::RegSetValueExA(h, "Version", 0, REG_SZ, (const BYTE*)version, (DWORD)std::strlen(version) + 1);

    CScratchDir dir;
    std::string dump = dir / "child.txt";
    ::SetEnvironmentVariableA(envVar, dump.c_str());
    std::string cmd = std::string("\"") + exe + "\" --gtest_filter=" + test;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    bool started = ::CreateProcessA(exe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    ::SetEnvironmentVariableA(envVar, nullptr);
    DWORD code = 1;
    if (started) {
        ::WaitForSingleObject(pi.hProcess, 60000);
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    if (h) {
        ::RegDeleteValueA(h, "Version");
        ::RegCloseKey(h);
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    EXPECT_TRUE(started);
    EXPECT_EQ(0u, code);

    Bytes b;
    ReadFileBytes(dump, b);
    std::string text(b.begin(), b.end());
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
