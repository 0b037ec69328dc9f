#include "tests/support/TestFiles.h"

#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

CScratchDir::CScratchDir()
{
    static unsigned counter = 0;
    char base[MAX_PATH];
#ifdef _WIN32
    GetTempPathA(MAX_PATH, base);
    unsigned pid = (unsigned)GetCurrentProcessId();
#else
    std::strcpy(base, "/tmp/");
    unsigned pid = (unsigned)getpid();
#endif
    for (;;) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%szmtest_%u_%u", base, pid, counter++);
#ifdef _WIN32
        if (CreateDirectoryA(name, nullptr)) {
#else
        if (mkdir(name, 0755) == 0) {
#endif
            m_path = std::string(name) + kPathSeparator;
            return;
        }
    }
}

CScratchDir::~CScratchDir() { RemoveTree(m_path); }

void EmptyTree(const std::string& path)
{
    std::string dir = path;
    if (!dir.empty() && dir.back() == kPathSeparator)
        dir.pop_back();
#ifdef _WIN32
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, ".."))
                continue;
            std::string child = dir + "\\" + fd.cFileName;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
#else
    DIR* d = opendir(dir.c_str());
    if (d) {
        while (dirent* e = readdir(d)) {
            if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
                continue;
            std::string child = dir + "/" + e->d_name;
            struct stat st;
            if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                RemoveTree(child);
            else
                unlink(child.c_str());
        }
        closedir(d);
    }
#endif
}

void RemoveTree(const std::string& path)
{
    EmptyTree(path);
    std::string dir = path;
    if (!dir.empty() && dir.back() == kPathSeparator)
        dir.pop_back();
#ifdef _WIN32
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
#else
    rmdir(dir.c_str());
#endif
}

std::string ReadText(const std::string& path)
{
    Bytes b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

bool WriteText(const std::string& path, const std::string& text)
{
    return WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

bool ReadFileBytes(const std::string& path, Bytes& out)
{
    out.clear();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(h, nullptr);
    out.resize(size);
    DWORD got = 0;
    bool ok = size == 0 || (ReadFile(h, out.data(), size, &got, nullptr) && got == size);
    CloseHandle(h);
    return ok;
}

Bytes ReadFileBytes(const std::string& path)
{
    Bytes b;
    ReadFileBytes(path, b);
    return b;
}

bool WriteFileBytes(const std::string& path, const Bytes& data)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = data.empty() || (WriteFile(h, data.data(), (DWORD)data.size(), &written, nullptr) &&
                               written == data.size());
    CloseHandle(h);
    return ok;
}

bool FileExistsAt(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

std::string Hex(const Bytes& data, size_t max)
{
    std::string s;
    char buf[4];
    for (size_t i = 0; i < data.size() && i < max; i++) {
        std::snprintf(buf, sizeof buf, "%02X ", data[i]);
        s += buf;
    }
    if (data.size() > max)
        s += "...";
    return s;
}

Bytes MakeBytes(std::initializer_list<int> values)
{
    Bytes b;
    for (int v : values)
        b.push_back((unsigned char)v);
    return b;
}

Bytes RandomBytes(size_t size, unsigned seed)
{
    Bytes b(size);
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = (unsigned char)x;
    }
    return b;
}

Bytes TextBytes(size_t size, unsigned seed)
{
    static const char* words[] = {"alpha ", "beta ", "gamma ", "delta\r\n", "key=", "value ",
                                  "[section]\r\n", "C:\\WINDOWS\\", "system ", "    "};
    Bytes b;
    b.reserve(size);
    unsigned x = seed + 7;
    while (b.size() < size) {
        x = x * 1103515245u + 12345u;
        const char* w = words[(x >> 16) % 10];
        b.insert(b.end(), w, w + std::strlen(w));
    }
    b.resize(size);
    return b;
}
