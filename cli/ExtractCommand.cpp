#include "cli/ExtractCommand.h"

#include "backup/ArchiveFormat.h"
#include "base/Cp1251.h"
#include "cli/BenchCorpus.h"
#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"
#include "compress/Compress.h"
#include "restore/ArchiveExtractor.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// ---- benchmark ----------------------------------------------------------------

class CBenchArchive {
public:
    explicit CBenchArchive(HANDLE h) : m_h(h) {}
    void Put(const void* p, DWORD n)
    {
        DWORD written = 0;
        WriteFile(m_h, p, n, &written, nullptr);
    }
    void Word(WORD w) { Put(&w, 2); }
    void Dword(DWORD d) { Put(&d, 4); }
    // Type, name, attributes, times: the head of a directory or file record.
    void Head(BYTE type, const std::string& name, DWORD attributes)
    {
        Put(&type, 1);
        Word((WORD)name.size());
        Put(name.data(), (DWORD)name.size());
        Dword(attributes);
        const WORD stamp[4] = {(42 << 9) | (1 << 5) | 2, 0, (41 << 9) | (3 << 5) | 4, (10 << 11) | (20 << 5) | 15};
        Put(stamp, sizeof stamp);
    }

private:
    HANDLE m_h;
};

// The tree as an archive with attributes and times: C:, bench, the directories,
// their files; each file's code made once and kept for the decoding runs.
bool WriteBenchArchive(const std::string& path, std::vector<BenchFile>& files)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CBenchArchive a(h);
    a.Put(ARCHIVE_MAGIC, ARCHIVE_MAGIC_SIZE);
    const BYTE flags[4] = {1, 1, 1, 0};
    a.Put(flags, 4);
    const WORD created[8] = {2024, 1, 1, 1, 0, 0, 0, 0};
    a.Put(created, sizeof created);
    const BYTE family = 2;
    a.Put(&family, 1);
    a.Dword(1);
    a.Head(ARC_DIRECTORY, "C:", 0x10);
    a.Dword(1);
    a.Head(ARC_DIRECTORY, "bench", 0x10);
    a.Dword(8);
    std::unique_ptr<CCompress> codec(new CCompress);
    for (int d = 0; d < 8; d++) {
        char name[8];
        std::snprintf(name, sizeof name, "d%02d", d);
        DWORD count = 0;
        for (const BenchFile& f : files)
            count += f.dir == name;
        a.Head(ARC_DIRECTORY, name, 0x10);
        a.Dword(count);
        for (BenchFile& f : files) {
            if (f.dir != name)
                continue;
            a.Head(ARC_FILE, f.name, 0x20);
            LONG high = 0;
            DWORD start = SetFilePointer(h, 0, &high, FILE_CURRENT);
            codec->CompressBlock(h, f.data.data(), (DWORD)f.data.size());
            DWORD end = SetFilePointer(h, 0, &high, FILE_END);
            f.code.resize(end - start - ARC_BLOCK_FRAME_SIZE);
            SetFilePointer(h, (LONG)(start + ARC_BLOCK_FRAME_SIZE), nullptr, FILE_BEGIN);
            DWORD got = 0;
            ReadFile(h, f.code.data(), (DWORD)f.code.size(), &got, nullptr);
            SetFilePointer(h, 0, &high, FILE_END);
        }
    }
    bool ok = !codec->m_bWriteError;
    CloseHandle(h);
    return ok;
}

void RemoveExtracted(const std::string& out, const std::vector<BenchFile>& files)
{
    const std::string bench = out + "C" + kPathSeparator + "bench" + kPathSeparator;
    for (const BenchFile& f : files) {
        std::string p = bench + f.dir + kPathSeparator + f.name;
        DeleteFileA(p.c_str());
    }
    for (int d = 0; d < 8; d++) {
        char name[8];
        std::snprintf(name, sizeof name, "d%02d", d);
        RemoveDirectoryA((bench + name).c_str());
    }
    RemoveDirectoryA(bench.c_str());
    RemoveDirectoryA((out + "C").c_str());
    RemoveDirectoryA(out.c_str());
}

// Output lines of the extraction are counted, not shown.
class CQuietOutput : public CJobOutput {
public:
    void AddLine(const char* text, int) override { m_last = text; }
    std::string m_last;
};

int Bench(const char* where)
{
    std::string base;
    if (where) {
        base = where;
    } else {
#ifdef _WIN32
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        base = temp;
#else
        base = "/tmp";
#endif
    }
    if (base.back() != kPathSeparator && base.back() != '/')
        base += kPathSeparator;
    char name[64];
#ifdef _WIN32
    std::snprintf(name, sizeof name, "zmbench_%lu", (unsigned long)GetCurrentProcessId());
#else
    std::snprintf(name, sizeof name, "zmbench_%lu", (unsigned long)getpid());
#endif
    const std::string dir = base + name + kPathSeparator;
    if (!CArchiveExtractor::MakeFolder(dir)) {
        std::fprintf(stderr, "zmcli extract: cannot make %s\n", dir.c_str());
        return 1;
    }
    std::vector<BenchFile> files = BenchTree();
    const std::string archive = dir + "bench.zma";
    std::printf("coding %zu files...\n", files.size());
    std::fflush(stdout);
    if (!WriteBenchArchive(archive, files)) {
        std::fprintf(stderr, "zmcli extract: cannot write %s\n", archive.c_str());
        return 1;
    }
    unsigned long long plain = 0, code = 0;
    for (const BenchFile& f : files) {
        plain += f.data.size();
        code += f.code.size();
    }

    std::unique_ptr<CCompress> codec(new CCompress);
    Bytes memory;
    bool same = true;
    const std::string flat = dir + "flat" + kPathSeparator;
    CreateDirectoryA(flat.c_str(), nullptr);
    const std::string out = dir + "out" + kPathSeparator;
    std::string summary;
    std::function<void()> runs[3] = {
        // The codec alone: every block decoded into memory.
        [&] {
            for (const BenchFile& f : files) {
                memory.resize(f.data.size());
                DWORD n = 0;
                codec->ExpandToMemory(f.code.data(), memory.data(), (DWORD)f.code.size(), &n,
                                      (DWORD)memory.size());
                same &= n == f.data.size();
            }
        },
        // "zmcli lzss d": every block expanded into a file of its own.
        [&] {
            for (size_t i = 0; i < files.size(); i++) {
                std::string p = flat + files[i].name;
                codec->ExpandToFile(files[i].code.data(), (DWORD)files[i].code.size(), p.c_str(),
                                    (DWORD)files[i].data.size());
                same &= codec->m_nOut == files[i].data.size() && !codec->m_bWriteError;
            }
        },
        // The whole archive read, decoded and written as a tree with its stamps.
        [&] {
            CQuietOutput quiet;
            CArchiveExtractor extractor(quiet);
            extractor.SetTarget(out);
            CArchiveExtractor::MakeFolder(out);
            same &= extractor.Extract(archive.c_str()) == CArchiveExtractor::DONE &&
                    extractor.m_nFiles == files.size();
            summary = quiet.m_last;
        },
    };
    // The three runs take turns and each keeps its fastest time.
    double best[3] = {1e30, 1e30, 1e30};
    for (int round = 0; round < 5; round++) {
        for (int k = 0; k < 3; k++) {
            double t = Seconds(runs[k]);
            if (t < best[k])
                best[k] = t;
            if (k == 1)
                for (const BenchFile& f : files)
                    DeleteFileA((flat + f.name).c_str());
            if (k == 2)
                RemoveExtracted(out, files);
        }
    }
    RemoveDirectoryA(flat.c_str());
    DeleteFileA(archive.c_str());
    RemoveDirectoryA(dir.c_str());

    const double mb = plain / 1e6;
    std::printf("%zu files in 8 directories, %.1f MB plain, %.1f MB code\n", files.size(), mb, code / 1e6);
    std::printf("  decode into memory (codec):        %8.1f MB/s\n", mb / best[0]);
    std::printf("  decode into files (lzss d):        %8.1f MB/s\n", mb / best[1]);
    std::printf("  extract (read, decode, write, stamp): %5.1f MB/s\n", mb / best[2]);
    std::printf("  extract / lzss d: %.2f   extract / codec: %.2f\n", best[1] / best[2], best[0] / best[2]);
    std::printf("  last extraction: %s\n", summary.c_str());
    std::printf("  every block decoded to its size: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}

} // namespace

int ExtractCommand(int argc, char** argv)
{
    if (argc >= 1 && !std::strcmp(argv[0], "--bench")) {
        if (argc > 2)
            return ZmcliUsage("extract");
        return Bench(argc == 2 ? argv[1] : nullptr);
    }
    const char* regFile = nullptr;
    bool overwrite = false;
    std::vector<const char*> positional;
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (!std::strcmp(a, "-o")) {
            overwrite = true;
        } else if (!std::strcmp(a, "-r")) {
            if (i + 1 >= argc || regFile)
                return ZmcliUsage("extract");
            regFile = argv[++i];
        } else if (a[0] == '-' && a[1]) {
            std::fprintf(stderr, "zmcli extract: unknown option %s\n", a);
            return ZmcliUsage("extract");
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() < 2 || !*positional[0] || !*positional[1])
        return ZmcliUsage("extract");

    const char* archive = positional[0];
    const std::string dir = positional[1];
    CConsoleOutput console;
    console.SetNativeText(true);
    CArchiveExtractor::Result result = CArchiveExtractor::NOT_AN_ARCHIVE;
    try {
        CArchiveExtractor extractor(console);
        extractor.SetOverwrite(overwrite);
        if (regFile)
            extractor.SetRegFile(regFile);
        for (size_t i = 2; i < positional.size(); i++) {
            std::string item;
            if (!TextFromNative(positional[i], item))
                item = positional[i]; // names no record: reported as not found
            extractor.AddItem(item);
        }
        // The archive must be one before anything is made; a cut header is the
        // extraction's to report.
        CArchiveReader probe;
        ArchiveHeader header = {};
        if (probe.Open(archive))
            probe.ReadHeader(header);
        probe.Close();
        if (!CArchiveReader::IsArchiveMagic(header.magic)) {
            std::fprintf(stderr, "zmcli extract: %s cannot be opened or is not an archive\n", archive);
            return 1;
        }
        if (!CArchiveExtractor::MakeFolder(dir)) {
            std::fprintf(stderr, "zmcli extract: cannot make the folder %s\n", dir.c_str());
            return 1;
        }
        extractor.SetTarget(dir);
        result = extractor.Extract(archive);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "zmcli extract: out of memory\n");
        return 1;
    }
    std::fflush(stdout);
    if (result == CArchiveExtractor::NOT_AN_ARCHIVE) {
        std::fprintf(stderr, "zmcli extract: %s cannot be opened or is not an archive\n", archive);
        return 1;
    }
    return result == CArchiveExtractor::DONE ? 0 : 1;
}
