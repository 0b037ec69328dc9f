#include "cli/ArchiveCommand.h"

#include "backup/Backup.h"
#include "base/JobState.h"
#include "cli/BenchCorpus.h"
#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"

#include <psapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A registry item: a root's full name alone or followed by a backslash and the
// key path. Returns the root code, 0 when the item is not a registry item.
DWORD RegistryItem(const char* item, std::string& path)
{
    const char* slash = std::strchr(item, '\\');
    std::string head = slash ? std::string(item, slash - item) : std::string(item);
    DWORD root = RootKeyFromName(head.c_str());
    if (!root)
        return 0;
    path.clear();
    if (slash) {
        std::string rest(slash + 1);
        size_t b = rest.find_first_not_of('\\');
        size_t e = rest.find_last_not_of('\\');
        if (b != std::string::npos)
            path = rest.substr(b, e - b + 1);
    }
    return root;
}

// A file-system item as a full path with a drive; directories keep their
// trailing backslash. False when it cannot be one.
bool FileItem(const char* item, std::string& full)
{
    size_t n = std::strlen(item);
    if (n == 0)
        return false;
    bool directory = item[n - 1] == '\\';
    char buffer[MAX_PATH];
    DWORD got = GetFullPathNameA(item, sizeof buffer, buffer, nullptr);
    if (got == 0 || got >= sizeof buffer)
        return false;
    full = buffer;
    if (directory && full.back() != '\\')
        full += '\\';
    if (!directory) {
        while (full.size() > 3 && full.back() == '\\')
            full.pop_back();
    }
    return full.size() >= 3 && std::isalpha((unsigned char)full[0]) && full[1] == ':' &&
           full[2] == '\\' && full.size() < MAX_PATH && (directory || full.size() > 3);
}

// ---- benchmark ----------------------------------------------------------------

struct ChildRun {
    bool ok;
    double seconds;
    unsigned long long peakBytes; // the child's peak working set
};

// The process-status library is not on Windows 95/98/ME (nor on NT 4 without
// its redistributable): looked up at run time; without it no peak is known.
typedef BOOL(WINAPI* MemoryInfoFunc)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

MemoryInfoFunc MemoryInfo()
{
    static MemoryInfoFunc func = [] {
        HMODULE psapi = LoadLibraryA("psapi.dll");
        return psapi ? (MemoryInfoFunc)(void*)GetProcAddress(psapi, "GetProcessMemoryInfo") : nullptr;
    }();
    return func;
}

// The size of a file (through its directory entry, as every system has it).
bool FileBytes(const std::string& path, unsigned long long& size)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(path.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    size = ((unsigned long long)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
    return true;
}

// Runs "zmcli archive OUT -j N TREE\" in a process of its own; its time and peak memory.
ChildRun ArchiveInChild(const std::string& out, unsigned threads, const std::string& tree)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    // The tree's closing backslash is doubled: before a quote it would escape it.
    std::string cmd = std::string("\"") + self + "\" archive \"" + out + "\" -j " + std::to_string(threads) +
                      " \"" + tree + "\\\"";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = nul;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    ChildRun run = {false, 0, 0};
    run.seconds = Seconds([&] {
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
            return;
        // The peak is asked for while the child runs: an ended process has
        // no counters left everywhere.
        MemoryInfoFunc memoryInfo = MemoryInfo();
        do {
            PROCESS_MEMORY_COUNTERS pmc = {};
            pmc.cb = sizeof pmc;
            if (memoryInfo && memoryInfo(pi.hProcess, &pmc, sizeof pmc)) {
                SIZE_T peak = pmc.PeakWorkingSetSize > pmc.WorkingSetSize ? pmc.PeakWorkingSetSize : pmc.WorkingSetSize;
                run.peakBytes = peak > run.peakBytes ? peak : run.peakBytes;
            }
        } while (WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT);
    });
    if (pi.hProcess) {
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        run.ok = code == 0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    return run;
}

// Archives a generated tree with one coding thread and with the default, each
// in a process of its own, beside the codec coding the same bytes in memory on
// one thread: MB/s of each, the ratios, and the peak memory of the jobs.
int Bench(const char* where)
{
    char temp[MAX_PATH];
    std::string base = where ? where : (GetTempPathA(MAX_PATH, temp) ? temp : ".");
    if (base.back() != '\\')
        base += '\\';
    const std::string dir = base + "zmbench_archive_" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string tree = dir + "tree\\";
    if (!CreateDirectoryA(dir.c_str(), nullptr) || !CreateDirectoryA(tree.c_str(), nullptr)) {
        std::fprintf(stderr, "zmcli archive: cannot make %s\n", tree.c_str());
        return 1;
    }
    std::vector<BenchFile> files = BenchTree();
    unsigned long long plain = 0;
    bool written = true;
    for (const BenchFile& f : files) {
        CreateDirectoryA((tree + f.dir).c_str(), nullptr);
        std::string p = tree + f.dir + "\\" + f.name;
        HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD n = 0;
        written &= h != INVALID_HANDLE_VALUE && WriteFile(h, f.data.data(), (DWORD)f.data.size(), &n, nullptr) &&
                   n == f.data.size();
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        plain += f.data.size();
    }
    unsigned helpers = CBlockCoder::DefaultHelpers();
    std::printf("archive job: %zu files, %.1f MB, in %s; %u processors\n", files.size(), plain / 1e6,
                tree.c_str(), helpers);
    std::fflush(stdout);

    // The codec alone, one thread, every file's block from memory.
    CCompress codec;
    double codecBest = 1e30;
    for (int round = 0; round < 2; round++) {
        double t = Seconds([&] {
            for (BenchFile& f : files)
                codec.CompressToMemory(f.data.data(), (DWORD)f.data.size(), f.code);
        });
        codecBest = t < codecBest ? t : codecBest;
    }
    // The job, alternating, each keeping its fastest run.
    const unsigned threads[2] = {1, helpers};
    ChildRun best[2] = {{false, 1e30, 0}, {false, 1e30, 0}};
    bool ok = written;
    std::string outs[2] = {dir + "one.zma", dir + "many.zma"};
    for (int round = 0; round < 3 && ok; round++) {
        for (int k = 0; k < 2; k++) {
            ChildRun r = ArchiveInChild(outs[k], threads[k], tree);
            ok &= r.ok;
            if (r.seconds < best[k].seconds)
                best[k] = r;
        }
    }
    // Both runs wrote the same archive, and a whole one.
    unsigned long long one = 0, many = 0;
    ok = ok && FileBytes(outs[0], one) && FileBytes(outs[1], many) && one == many && one > plain / 8;
    if (ok) {
        double mb = plain / 1e6;
        std::printf("%-28s %10s %10s %12s\n", "", "MB/s", "ratio", "peak MB");
        std::printf("%-28s %10.1f %10s %12s\n", "codec alone, one thread", mb / codecBest, "", "-");
        std::printf("%-28s %10.1f %10.2f %12.1f\n", "archive job -j 1", mb / best[0].seconds, 1.0,
                    best[0].peakBytes / 1e6);
        char label[32];
        std::snprintf(label, sizeof label, "archive job -j %u (default)", helpers);
        std::printf("%-28s %10.1f %10.2f %12.1f\n", label, mb / best[1].seconds, best[0].seconds / best[1].seconds,
                    best[1].peakBytes / 1e6);
        std::printf("default against the codec alone: %.2f\n", codecBest / best[1].seconds);
    } else {
        std::fprintf(stderr, "zmcli archive: a benchmark run failed\n");
    }
    // What the benchmark made goes again.
    for (const BenchFile& f : files) {
        DeleteFileA((tree + f.dir + "\\" + f.name).c_str());
        RemoveDirectoryA((tree + f.dir).c_str());
    }
    RemoveDirectoryA(tree.c_str());
    for (const std::string& o : outs)
        DeleteFileA(o.c_str());
    RemoveDirectoryA(dir.c_str());
    return ok ? 0 : 1;
}

} // namespace

int ArchiveCommand(int argc, char** argv)
{
    if (argc >= 1 && std::strcmp(argv[0], "--bench") == 0)
        return argc <= 2 ? Bench(argc == 2 ? argv[1] : nullptr) : ZmcliUsage("archive");
    if (argc < 2)
        return ZmcliUsage("archive");
    const char* out = argv[0];
    BYTE attributes = 0, times = 0;
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    g_osFamily = RunningOsFamily();

    int items = 0;
    unsigned threads = 0; // the engine's default
    bool best = false;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-a") == 0) {
            attributes = 1;
            continue;
        }
        if (std::strcmp(arg, "-t") == 0) {
            times = 1;
            continue;
        }
        if (std::strcmp(arg, "--best") == 0) {
            best = true;
            continue;
        }
        if (std::strcmp(arg, "-j") == 0) {
            char* end = nullptr;
            unsigned long n = i + 1 < argc ? std::strtoul(argv[i + 1], &end, 10) : 0;
            if (n < 1 || n > 16 || !end || *end) {
                std::fprintf(stderr, "zmcli archive: -j takes a number from 1 to 16\n");
                return ZmcliUsage("archive");
            }
            threads = (unsigned)n;
            i++;
            continue;
        }
        if (arg[0] == '-') {
            std::fprintf(stderr, "zmcli archive: unknown option %s\n", arg);
            return ZmcliUsage("archive");
        }
        items++;
        std::string path;
        bool added;
        if (DWORD root = RegistryItem(arg, path)) {
            if (g_KeyList.nCount >= MAX_JOB_COUNT) {
                std::fprintf(stderr, "zmcli archive: more than %u registry items\n",
                             (unsigned)MAX_JOB_COUNT);
                return 2;
            }
            added = AddKeyItem(root, path.c_str(), 1);
        } else {
            if (!FileItem(arg, path)) {
                std::fprintf(stderr, "zmcli archive: not a path with a drive: %s\n", arg);
                return 2;
            }
            if (g_PathList.nCount >= MAX_JOB_COUNT) {
                std::fprintf(stderr, "zmcli archive: more than %u file items\n",
                             (unsigned)MAX_JOB_COUNT);
                return 2;
            }
            added = AddPathItem(path.c_str(), path.back() == '\\' ? 1 : 0);
        }
        if (!added) {
            std::fprintf(stderr, "zmcli archive: path too long: %s\n", arg);
            return 2;
        }
    }
    if (items == 0)
        return ZmcliUsage("archive");
    ArchiveFlags[AF_FILES] = g_PathList.nCount ? 1 : 0;
    ArchiveFlags[AF_ATTRIBUTES] = attributes;
    ArchiveFlags[AF_TIMES] = times;
    ArchiveFlags[AF_REGISTRY] = g_KeyList.nCount ? 1 : 0;

    CConsoleOutput console;
    CBackup* backup = new CBackup;
    backup->SetOutput(&console);
    backup->SetArchivePath(out);
    if (threads)
        backup->m_nCodingThreads = threads;
    if (best)
        backup->m_encodeMode = CLZSS::ENCODE_OPTIMAL;
    backup->Run();
    for (const std::string& item : backup->m_skippedItems)
        std::fprintf(stderr, "Пропущен (не найден): %s\n", item.c_str());
    for (const std::string& item : backup->m_unreadable)
        std::fprintf(stderr, "Не удалось прочитать: %s\n", item.c_str());
    std::fflush(stdout);
    int result = backup->m_nResult == CBackup::RESULT_OK && backup->m_bSumsWritten ? 0 : 1;
    delete backup;
    return result;
}
