#include "app/SystemCommands.h"

#include "base/JobState.h"
#include "base/SystemCalls.h"
#include "res/resource.h"

#include <shlobj.h>

#include <cstring>

const ToolCommand CSystemCommands::kTools[] = {
    {ID_TOOL_REGEDIT, "regedit.exe", FALSE},   {ID_TOOL_REGEDT32, "regedt32.exe", TRUE},
    {ID_TOOL_SYSEDIT, "sysedit.exe", TRUE},    {ID_TOOL_TASKMAN, "taskman.exe", FALSE},
    {ID_TOOL_PROGMAN, "progman.exe", FALSE},   {ID_TOOL_WINFILE, "winfile.exe", FALSE},
    {ID_TOOL_DRWATSON, "drwatson.exe", TRUE},  {ID_TOOL_DRWTSN32, "drwtsn32.exe", TRUE},
    {ID_TOOL_WINREP, "winrep.exe", FALSE},     {ID_TOOL_WINIPCFG, "winipcfg.exe", FALSE},
    {ID_TOOL_IPSECMON, "ipsecmon.exe", TRUE},  {ID_TOOL_CLICONFG, "cliconfg.exe", TRUE},
    {ID_TOOL_VERIFIER, "verifier.exe", TRUE},  {ID_TOOL_SIGVERIF, "sigverif.exe", TRUE},
    {ID_TOOL_MSCONFIG, "msconfig.exe", FALSE}, {ID_TOOL_DCOMCNFG, "dcomcnfg.exe", TRUE},
    {ID_TOOL_MMC, "mmc.exe", TRUE},            {ID_TOOL_DXDIAG, "dxdiag.exe", TRUE},
    {ID_TOOL_SCANREGW, "scanregw.exe", TRUE},  {ID_TOOL_MKCOMPAT, "mkcompat.exe", FALSE},
};
const size_t CSystemCommands::kToolCount = sizeof(kTools) / sizeof(kTools[0]);

const ToolCommand* CSystemCommands::FindTool(UINT id)
{
    for (const ToolCommand& tool : kTools)
        if (tool.nId == id)
            return &tool;
    return nullptr;
}

void CSystemCommands::EditorDirectory(const char* path, char* dir)
{
    lstrcpynA(dir, path, MAX_PATH);
    char* cut = std::strrchr(dir, '\\');
    if (cut)
        *cut = 0;
}

BOOL CSystemCommands::Execute(UINT id, HWND parent, const char* settingsEditor)
{
    const SystemCalls& calls = g_SystemCalls;
    switch (id) {
    case ID_SYS_POWEROFF:
        calls.pfnExitWindowsEx(EWX_POWEROFF, 0);
        return TRUE;
    case ID_SYS_REBOOT:
        calls.pfnExitWindowsEx(EWX_REBOOT, 0);
        return TRUE;
    case ID_SYS_LOGOFF:
        calls.pfnExitWindowsEx(EWX_LOGOFF, 0);
        return TRUE;
    case ID_SYS_CLOSEALL:
        CloseAllActiveProcesses();
        return TRUE;
    case ID_SYS_QUICKREBOOT:
        calls.pfnShellExecute(parent, nullptr, "rundll.exe", "user.exe,ExitWindowsExec", nullptr, SW_SHOWDEFAULT);
        return TRUE;
    case ID_SYS_BOOTDISK:
        calls.pfnFormatDrive(parent, 0, SHFMT_ID_DEFAULT, SHFMT_OPT_SYSONLY);
        return TRUE;
    case ID_APP_SETTINGSEDITOR: {
        if (!settingsEditor || !settingsEditor[0])
            return TRUE;
        char dir[MAX_PATH];
        EditorDirectory(settingsEditor, dir);
        calls.pfnShellExecute(parent, nullptr, settingsEditor, nullptr, dir, SW_SHOWDEFAULT);
        return TRUE;
    }
    default:
        break;
    }
    const ToolCommand* tool = FindTool(id);
    if (!tool)
        return FALSE;
    calls.pfnShellExecute(parent, nullptr, tool->pszProgram, nullptr,
                          tool->bSystemDir ? g_szSystemDir : g_szWindowsDir, SW_SHOWDEFAULT);
    return TRUE;
}
