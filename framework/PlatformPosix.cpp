// POSIX backing of the Win32 subset declared in Platform.h (native build only).
#ifndef _WIN32
#include "framework/Platform.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local DWORD t_lastError = 0;

// Keeps errno as the thread's last error, in the Win32 codes callers test for.
BOOL Failed()
{
    switch (errno) {
    case ENOENT: t_lastError = ERROR_FILE_NOT_FOUND; break;
    case ENOTDIR: t_lastError = ERROR_PATH_NOT_FOUND; break;
    case EEXIST: t_lastError = ERROR_ALREADY_EXISTS; break;
    case EACCES:
    case EPERM:
    case EROFS: t_lastError = ERROR_ACCESS_DENIED; break;
    default: t_lastError = ERROR_INVALID_PARAMETER; break;
    }
    return FALSE;
}

// 100-nanosecond steps from 1601-01-01 to 1970-01-01.
const long long kUnixEpochTicks = 116444736000000000LL;

long long Ticks(const FILETIME& t)
{
    return (long long)(((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime);
}

FILETIME FromTicks(long long ticks)
{
    FILETIME t;
    t.dwLowDateTime = (DWORD)(unsigned long long)ticks;
    t.dwHighDateTime = (DWORD)((unsigned long long)ticks >> 32);
    return t;
}

struct timespec ToTimespec(const FILETIME* t)
{
    struct timespec ts;
    if (!t) {
        ts.tv_sec = 0;
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    long long since = Ticks(*t) - kUnixEpochTicks;
    long long sec = since / 10000000, rest = since % 10000000;
    if (rest < 0) {
        rest += 10000000;
        sec--;
    }
    ts.tv_sec = (time_t)sec;
    ts.tv_nsec = (long)(rest * 100);
    return ts;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = (unsigned)(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (long long)doe - 719468;
}

struct ShimObject {
    enum Kind { File, Thread, Event } kind;
    explicit ShimObject(Kind k) : kind(k) {}
    virtual ~ShimObject() {}
};

struct ShimFile : ShimObject {
    int fd;
    explicit ShimFile(int f) : ShimObject(File), fd(f) {}
    ~ShimFile() override { close(fd); }
};

struct ShimThread : ShimObject {
    std::mutex lock;
    std::condition_variable changed;
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
    std::atomic<int> refs{2}; // the handle and the running thread
    LPTHREAD_START_ROUTINE proc = nullptr;
    LPVOID param = nullptr;
    int priority = 0;
    ShimThread() : ShimObject(Thread) {}
    void Release()
    {
        if (--refs == 0)
            delete this;
    }
};

struct ShimEvent : ShimObject {
    std::mutex lock;
    std::condition_variable changed;
    bool manual, set;
    ShimEvent(bool m, bool s) : ShimObject(Event), manual(m), set(s) {}
};

void* ThreadMain(void* arg)
{
    ShimThread* t = static_cast<ShimThread*>(arg);
    {
        std::unique_lock<std::mutex> g(t->lock);
        t->changed.wait(g, [t] { return t->started; });
    }
    DWORD code = t->proc(t->param);
    {
        std::lock_guard<std::mutex> g(t->lock);
        t->finished = true;
        t->exitCode = code;
    }
    t->changed.notify_all();
    t->Release();
    return nullptr;
}

} // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD attributes,
                   HANDLE)
{
    int flags = 0;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags = O_RDWR;
    else if (access & GENERIC_WRITE)
        flags = O_WRONLY;
    else
        flags = O_RDONLY;
    switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    default: break;
    }
    const bool directories = (attributes & FILE_FLAG_BACKUP_SEMANTICS) != 0;
    if (directories && !(flags & O_CREAT))
        flags = O_RDONLY; // times are set through any descriptor of the owner
    int fd = open(name, flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (directories || errno != EISDIR) {
            Failed();
            return INVALID_HANDLE_VALUE;
        }
        t_lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (!directories && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        t_lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    return new ShimFile(fd);
}

static ShimFile* AsFile(HANDLE h)
{
    if (!h || h == INVALID_HANDLE_VALUE)
        return nullptr;
    ShimObject* o = static_cast<ShimObject*>(h);
    return o->kind == ShimObject::File ? static_cast<ShimFile*>(o) : nullptr;
}

BOOL ReadFile(HANDLE h, void* buf, DWORD n, DWORD* got, void*)
{
    ShimFile* f = AsFile(h);
    if (got)
        *got = 0;
    if (!f)
        return FALSE;
    size_t done = 0;
    while (done < n) {
        ssize_t r = read(f->fd, static_cast<char*>(buf) + done, n - done);
        if (r < 0)
            return FALSE;
        if (r == 0)
            break;
        done += (size_t)r;
    }
    if (got)
        *got = (DWORD)done;
    return TRUE;
}

BOOL WriteFile(HANDLE h, const void* buf, DWORD n, DWORD* written, void*)
{
    ShimFile* f = AsFile(h);
    if (written)
        *written = 0;
    if (!f)
        return FALSE;
    size_t done = 0;
    while (done < n) {
        ssize_t r = write(f->fd, static_cast<const char*>(buf) + done, n - done);
        if (r <= 0)
            return FALSE;
        done += (size_t)r;
    }
    if (written)
        *written = (DWORD)done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE h, LONG dist, LONG* distHigh, DWORD method)
{
    ShimFile* f = AsFile(h);
    if (!f)
        return INVALID_SET_FILE_POINTER;
    int64_t off = distHigh ? (((int64_t)*distHigh) << 32) | (uint32_t)dist : (int64_t)dist;
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t r = lseek(f->fd, (off_t)off, whence);
    if (r < 0)
        return INVALID_SET_FILE_POINTER;
    if (distHigh)
        *distHigh = (LONG)((int64_t)r >> 32);
    return (DWORD)r;
}

DWORD GetFileSize(HANDLE h, DWORD* high)
{
    ShimFile* f = AsFile(h);
    struct stat st;
    if (!f || fstat(f->fd, &st) != 0)
        return INVALID_FILE_SIZE;
    if (high)
        *high = (DWORD)((uint64_t)st.st_size >> 32);
    return (DWORD)st.st_size;
}

BOOL CloseHandle(HANDLE h)
{
    if (!h || h == INVALID_HANDLE_VALUE)
        return FALSE;
    ShimObject* o = static_cast<ShimObject*>(h);
    if (o->kind == ShimObject::Thread)
        static_cast<ShimThread*>(o)->Release();
    else
        delete o;
    return TRUE;
}

BOOL DeleteFileA(LPCSTR name) { return unlink(name) == 0 ? TRUE : Failed(); }

BOOL CreateDirectoryA(LPCSTR name, void*) { return mkdir(name, 0755) == 0 ? TRUE : Failed(); }

BOOL RemoveDirectoryA(LPCSTR name) { return rmdir(name) == 0 ? TRUE : Failed(); }

DWORD GetFileAttributesA(LPCSTR name)
{
    struct stat st;
    if (lstat(name, &st) != 0) {
        Failed();
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISLNK(st.st_mode))
        return FILE_ATTRIBUTE_REPARSE_POINT;
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL SetFileAttributesA(LPCSTR name, DWORD attributes)
{
    struct stat st;
    if (lstat(name, &st) != 0)
        return Failed();
    if (S_ISLNK(st.st_mode)) {
        t_lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~(mode_t)(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode == (st.st_mode & 07777))
        return TRUE;
    return chmod(name, mode) == 0 ? TRUE : Failed();
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    struct stat st;
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(to, &st) == 0) {
        t_lastError = ERROR_ALREADY_EXISTS;
        return FALSE;
    }
    return rename(from, to) == 0 ? TRUE : Failed();
}

BOOL SetFileTime(HANDLE h, const FILETIME*, const FILETIME* access, const FILETIME* write)
{
    ShimFile* f = AsFile(h);
    if (!f) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    struct timespec times[2] = {ToTimespec(access), ToTimespec(write)};
    return futimens(f->fd, times) == 0 ? TRUE : Failed();
}

BOOL DosDateTimeToFileTime(WORD date, WORD time, FILETIME* out)
{
    unsigned day = date & 31, month = (date >> 5) & 15, year = 1980 + (date >> 9);
    unsigned second = (time & 31) * 2, minute = (time >> 5) & 63, hour = time >> 11;
    if (day < 1 || month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    long long seconds = DaysFromCivil((int)year, month, day) * 86400LL + hour * 3600 +
                        minute * 60 + second;
    *out = FromTicks(seconds * 10000000LL + kUnixEpochTicks);
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* out)
{
    long long ticks = Ticks(*local) - kUnixEpochTicks;
    long long seconds = ticks / 10000000, rest = ticks % 10000000;
    if (rest < 0) {
        rest += 10000000;
        seconds--;
    }
    // The wall-clock fields, read back by mktime as local time.
    time_t wall = (time_t)seconds;
    struct tm fields;
    if (!gmtime_r(&wall, &fields)) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    fields.tm_isdst = -1;
    time_t universal = mktime(&fields);
    if (universal == (time_t)-1) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    *out = FromTicks((long long)universal * 10000000LL + rest + kUnixEpochTicks);
    return TRUE;
}

void Sleep(DWORD ms)
{
    struct timespec ts = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
}

DWORD GetTickCount()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (DWORD)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

static ShimThread* AsThread(HANDLE h)
{
    if (!h || h == INVALID_HANDLE_VALUE)
        return nullptr;
    ShimObject* o = static_cast<ShimObject*>(h);
    return o->kind == ShimObject::Thread ? static_cast<ShimThread*>(o) : nullptr;
}

HANDLE CreateThread(void*, size_t stack, LPTHREAD_START_ROUTINE proc, LPVOID param, DWORD flags,
                    DWORD* id)
{
    static std::atomic<DWORD> nextId{1};
    ShimThread* t = new ShimThread;
    t->proc = proc;
    t->param = param;
    t->started = !(flags & CREATE_SUSPENDED);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    if (stack)
        pthread_attr_setstacksize(&attr, stack);
    pthread_t pt;
    int rc = pthread_create(&pt, &attr, &ThreadMain, t);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete t;
        return nullptr;
    }
    pthread_detach(pt);
    if (id)
        *id = nextId++;
    return t;
}

DWORD ResumeThread(HANDLE h)
{
    ShimThread* t = AsThread(h);
    if (!t)
        return (DWORD)-1;
    DWORD previous;
    {
        std::lock_guard<std::mutex> g(t->lock);
        previous = t->started ? 0 : 1;
        t->started = true;
    }
    t->changed.notify_all();
    return previous;
}

BOOL SetThreadPriority(HANDLE h, int priority)
{
    ShimThread* t = AsThread(h);
    if (!t)
        return FALSE;
    t->priority = priority; // recorded only: native scheduling is left alone
    return TRUE;
}

int GetThreadPriority(HANDLE h)
{
    ShimThread* t = AsThread(h);
    return t ? t->priority : 0;
}

static ShimEvent* AsEvent(HANDLE h)
{
    if (!h || h == INVALID_HANDLE_VALUE)
        return nullptr;
    ShimObject* o = static_cast<ShimObject*>(h);
    return o->kind == ShimObject::Event ? static_cast<ShimEvent*>(o) : nullptr;
}

static DWORD WaitForEvent(ShimEvent* e, DWORD ms)
{
    std::unique_lock<std::mutex> g(e->lock);
    auto isSet = [e] { return e->set; };
    if (ms == INFINITE)
        e->changed.wait(g, isSet);
    else if (!e->changed.wait_for(g, std::chrono::milliseconds(ms), isSet))
        return WAIT_TIMEOUT;
    if (!e->manual)
        e->set = false;
    return WAIT_OBJECT_0;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms)
{
    if (ShimEvent* e = AsEvent(h))
        return WaitForEvent(e, ms);
    ShimThread* t = AsThread(h);
    if (!t)
        return WAIT_OBJECT_0;
    std::unique_lock<std::mutex> g(t->lock);
    if (ms == INFINITE) {
        t->changed.wait(g, [t] { return t->finished; });
        return WAIT_OBJECT_0;
    }
    return t->changed.wait_for(g, std::chrono::milliseconds(ms), [t] { return t->finished; })
               ? WAIT_OBJECT_0
               : WAIT_TIMEOUT;
}

BOOL GetExitCodeThread(HANDLE h, DWORD* code)
{
    ShimThread* t = AsThread(h);
    if (!t)
        return FALSE;
    std::lock_guard<std::mutex> g(t->lock);
    *code = t->finished ? t->exitCode : 259; // STILL_ACTIVE
    return TRUE;
}

void InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&cs->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_destroy(&cs->mutex); }

void EnterCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_lock(&cs->mutex); }

void LeaveCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_unlock(&cs->mutex); }

HANDLE CreateEventA(void*, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name) {
        t_lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return nullptr;
    }
    return new ShimEvent(manualReset != FALSE, initialState != FALSE);
}

static BOOL SetEventState(HANDLE h, bool set)
{
    ShimEvent* e = AsEvent(h);
    if (!e)
        return FALSE;
    {
        std::lock_guard<std::mutex> g(e->lock);
        e->set = set;
    }
    if (set)
        e->changed.notify_all();
    return TRUE;
}

BOOL SetEvent(HANDLE h) { return SetEventState(h, true); }

BOOL ResetEvent(HANDLE h) { return SetEventState(h, false); }
#endif
