// Platform header: the real <windows.h> on Windows; on the native (Linux) build a
// small POSIX-backed subset of the Win32 calls that the portable code uses (files,
// directories, attributes and times, threads, waits; no windows: the portable code
// reports through a job output), so that the codec, the stream, the comparison
// core and the archive reading build and run unchanged for sanitizers, fuzzing,
// profiling and the Linux zmcli.
//
// On Linux, attributes map onto the file's mode: read-only is "no write
// permission for anyone", a symbolic link reports FILE_ATTRIBUTE_REPARSE_POINT
// (it is never followed by GetFileAttributesA), and the other bits are not kept.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>
#include <pthread.h>

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
#define INVALID_FILE_ATTRIBUTES ((DWORD)0xFFFFFFFF)
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
#define FILE_ATTRIBUTE_READONLY 0x1
#define FILE_ATTRIBUTE_HIDDEN 0x2
#define FILE_ATTRIBUTE_SYSTEM 0x4
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define MOVEFILE_REPLACE_EXISTING 1
#define NO_ERROR 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_PARAMETER 87
#define ERROR_FILE_EXISTS 80
#define ERROR_ALREADY_EXISTS 183
#define ERROR_CALL_NOT_IMPLEMENTED 120
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

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

// The calling thread's last error: set by the calls below when they fail.
DWORD GetLastError();
void SetLastError(DWORD error);

// FILE_FLAG_BACKUP_SEMANTICS opens a directory (for SetFileTime); without it a
// directory does not open.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security,
                   DWORD disposition, DWORD flags, HANDLE templ);
BOOL ReadFile(HANDLE h, void* buf, DWORD n, DWORD* got, void* overlapped);
BOOL WriteFile(HANDLE h, const void* buf, DWORD n, DWORD* written, void* overlapped);
DWORD SetFilePointer(HANDLE h, LONG dist, LONG* distHigh, DWORD method);
DWORD GetFileSize(HANDLE h, DWORD* high);
BOOL CloseHandle(HANDLE h);
BOOL DeleteFileA(LPCSTR name);
BOOL CreateDirectoryA(LPCSTR name, void* security);
BOOL RemoveDirectoryA(LPCSTR name);
DWORD GetFileAttributesA(LPCSTR name);
// Only FILE_ATTRIBUTE_READONLY has an effect; a symbolic link is refused.
BOOL SetFileAttributesA(LPCSTR name, DWORD attributes);
// A rename; without MOVEFILE_REPLACE_EXISTING an existing target is an error.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
// The creation time is not kept; null times stay as they are.
BOOL SetFileTime(HANDLE h, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write);
// MS-DOS date and time words as a file time, without any time-zone change.
BOOL DosDateTimeToFileTime(WORD date, WORD time, FILETIME* out);
// A file time in the local time zone (with its daylight-saving rule at that
// time) as universal time.
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* out);
void Sleep(DWORD ms);
DWORD GetTickCount();

HANDLE CreateThread(void* security, size_t stack, LPTHREAD_START_ROUTINE proc, LPVOID param,
                    DWORD flags, DWORD* id);
DWORD ResumeThread(HANDLE h);
BOOL SetThreadPriority(HANDLE h, int priority);
int GetThreadPriority(HANDLE h);
// A thread's handle is signalled when it ends, an event's while it is set.
DWORD WaitForSingleObject(HANDLE h, DWORD ms);
BOOL GetExitCodeThread(HANDLE h, DWORD* code);

// A critical section is a recursive mutex, as on Windows.
typedef struct _CRITICAL_SECTION {
    pthread_mutex_t mutex;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;
void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void DeleteCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);

// Unnamed events only: an auto-reset event lets one waiter through and resets.
HANDLE CreateEventA(void* security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);
#endif

// The separator of this build's paths.
#ifdef _WIN32
const char kPathSeparator = '\\';
#else
const char kPathSeparator = '/';
#endif
