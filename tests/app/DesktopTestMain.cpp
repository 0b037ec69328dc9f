// Entry of window test programs. Under Wine, top-level windows without a
// window manager make every hide and destroy wait for the X server's answer;
// on a Wine virtual desktop they do not. So the program starts itself again on
// a virtual desktop of its own and hands back
// the child's exit code; the child, told by ZM_TEST_DESKTOP, runs the tests.
#include "framework/Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool UnderWine()
{
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

bool SetString(HKEY root, const std::string& path, const char* name, const char* value)
{
    HKEY key;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = ::RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value, (DWORD)std::strlen(value) + 1) ==
              ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

bool RunOnVirtualDesktop(int* exitCode)
{
    char exe[MAX_PATH];
    if (!::GetModuleFileNameA(nullptr, exe, MAX_PATH))
        return false;
    // A desktop of another name than the default one is a virtual desktop of
    // the size recorded for that name.
    if (!SetString(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", "zmtest", "1024x768"))
        return false;

    ::SetEnvironmentVariableA("ZM_TEST_DESKTOP", "1");
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    // A child inherits its parent's desktop unless it names another one.
    char desktop[] = "zmtest";
    si.lpDesktop = desktop;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string cmd = ::GetCommandLineA();
    bool started = ::CreateProcessA(exe, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    if (started) {
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        ::GetExitCodeProcess(pi.hProcess, &code);
        *exitCode = (int)code;
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::SetEnvironmentVariableA("ZM_TEST_DESKTOP", nullptr);
    return started;
}

} // namespace

int main(int argc, char** argv)
{
    if (UnderWine() && !std::getenv("ZM_TEST_DESKTOP")) {
        int code = 1;
        if (RunOnVirtualDesktop(&code))
            return code;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
