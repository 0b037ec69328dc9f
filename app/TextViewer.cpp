#include "app/TextViewer.h"

#include "base/SystemCalls.h"
#include "framework/WinApp.h"

BOOL CTextViewer::WriteText(UINT resourceId, const char* fileName)
{
    HINSTANCE inst = AfxGetInstanceHandle();
    HRSRC found = ::FindResourceA(inst, MAKEINTRESOURCEA(resourceId), "RT_TXT");
    HGLOBAL loaded = found ? ::LoadResource(inst, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return FALSE;
    DWORD size = ::SizeofResource(inst, found);
    HANDLE file = ::CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes, size, &written, nullptr) && written == size;
    ok = ::CloseHandle(file) && ok;
    if (!ok)
        ::DeleteFileA(fileName);
    return ok;
}

void CTextViewer::Show(HWND parent, UINT resourceId, const char* fileName)
{
    WriteText(resourceId, fileName);
    g_SystemCalls.pfnShellExecute(parent, nullptr, fileName, nullptr, nullptr, SW_SHOWDEFAULT);
}
