// POSIX backing of the Win32 subset declared in Platform.h (native build only).
#ifndef _WIN32
#include "framework/Platform.h"

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ShimObject {
    enum Kind { File, Thread } kind;
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

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE)
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
    int fd = open(name, flags | O_CLOEXEC, 0644);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
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

BOOL DeleteFileA(LPCSTR name) { return unlink(name) == 0; }

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

DWORD WaitForSingleObject(HANDLE h, DWORD ms)
{
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
#endif
