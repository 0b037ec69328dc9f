// Platform header: the real <windows.h> on Windows; on the native (Linux) build a
// small POSIX-backed subset of the Win32 calls that the portable code uses (files,
// threads, waits; no windows: the portable code reports through a job output), so that the codec, the stream and the comparison core build and
// run unchanged for sanitizers, fuzzing and profiling.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef char CHAR;
typedef void* HANDLE;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID);
#define WINAPI
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)0xFFFFFFFF)
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 1
#define FILE_SHARE_WRITE 2
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define CREATE_SUSPENDED 4
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_TIME_CRITICAL 15

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security,
                   DWORD disposition, DWORD flags, HANDLE templ);
BOOL ReadFile(HANDLE h, void* buf, DWORD n, DWORD* got, void* overlapped);
BOOL WriteFile(HANDLE h, const void* buf, DWORD n, DWORD* written, void* overlapped);
DWORD SetFilePointer(HANDLE h, LONG dist, LONG* distHigh, DWORD method);
DWORD GetFileSize(HANDLE h, DWORD* high);
BOOL CloseHandle(HANDLE h);
BOOL DeleteFileA(LPCSTR name);
void Sleep(DWORD ms);
DWORD GetTickCount();

HANDLE CreateThread(void* security, size_t stack, LPTHREAD_START_ROUTINE proc, LPVOID param,
                    DWORD flags, DWORD* id);
DWORD ResumeThread(HANDLE h);
BOOL SetThreadPriority(HANDLE h, int priority);
int GetThreadPriority(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD ms);
BOOL GetExitCodeThread(HANDLE h, DWORD* code);
#endif
