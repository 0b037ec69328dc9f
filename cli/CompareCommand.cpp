#include "cli/CompareCommand.h"

#include "base/JobState.h"
#include "compare/CompareCore.h"
#include "cli/ConsoleOutput.h"
#include "cli/Zmcli.h"
#include "compare/HtmlReport.h"
#include "compare/RegistryDiff.h"
#include "compare/ReportMemory.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

typedef std::vector<BYTE> Bytes;

// Counts lines only (the benchmark).
class CCountingOutput : public CJobOutput {
public:
    void AddLine(const char*, int) override { m_nLines++; }
    void ClearLines() override { m_nLines = 0; }
    size_t m_nLines = 0;
};

int Usage() { return ZmcliUsage("compare"); }

// Writes the whole text to the file, or leaves no file behind.
bool WriteWhole(const char* path, const std::string& text)
{
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::remove(path);
    return ok;
}

// The outputs asked for besides the lines.
struct CompareOutputs {
    const char* pszRedo = nullptr;
    const char* pszUndo = nullptr;
    const char* pszHtml = nullptr;
};

// Writes the registry scripts and the page; false (with a message) when any
// could not be written.
bool WriteOutputs(const CompareOutputs& outputs, const CRegistryDiff& registry, const CHtmlReport& page)
{
    bool ok = true;
    if (outputs.pszRedo || outputs.pszUndo) {
        if (!registry.HasValues()) {
            std::fprintf(stderr, "zmcli compare: both reports must hold the registry with its values (scan with"
                                 " -k ROOT -v); no .reg script written\n");
            ok = false;
        } else if (!registry.IsComplete()) {
            std::fprintf(stderr, "zmcli compare: the registry of a report is damaged; no .reg script written\n");
            ok = false;
        } else {
            const char* paths[2] = {outputs.pszRedo, outputs.pszUndo};
            for (int undo = 0; undo < 2; undo++) {
                if (paths[undo] && !WriteWhole(paths[undo], registry.Script(undo != 0))) {
                    std::fprintf(stderr, "zmcli compare: cannot write %s\n", paths[undo]);
                    ok = false;
                }
            }
        }
    }
    if (outputs.pszHtml && !WriteWhole(outputs.pszHtml, page.Page())) {
        std::fprintf(stderr, "zmcli compare: cannot write %s\n", outputs.pszHtml);
        ok = false;
    }
    return ok;
}

// --- benchmark -----------------------------------------------------------

struct BenchRecord {
    BYTE bType;
    std::string name;
    DWORD dwSize;
    DWORD dwAttributes;
    DWORD dwCreation;
};

class CRandom {
public:
    explicit CRandom(uint64_t seed) : m_state(seed * 2654435761u + 1) {}
    DWORD Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return (DWORD)(m_state >> 16);
    }
    // true with a probability of perMille / 1000
    bool Chance(DWORD perMille) { return Next() % 1000 < perMille; }

private:
    uint64_t m_state;
};

void Put16(Bytes& b, DWORD v)
{
    b.push_back((BYTE)v);
    b.push_back((BYTE)(v >> 8));
}

void Put32(Bytes& b, DWORD v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A report with every file field and one directory entry holding the records.
Bytes BenchReport(const std::vector<BenchRecord>& records, WORD hour)
{
    static const char entry[] = "C:\\BENCH";
    Bytes block;
    block.reserve(records.size() * 56);
    for (const BenchRecord& r : records) {
        block.push_back(r.bType);
        Put16(block, (DWORD)r.name.size());
        block.insert(block.end(), r.name.begin(), r.name.end());
        Put32(block, 0);
        Put32(block, r.dwSize);
        Put32(block, r.dwAttributes);
        Put32(block, 0x01D00000);
        Put32(block, r.dwCreation);
    }
    Bytes report = {'Z', 'M', 'R', 'F', 'v', '1', '.', '0', 1, 1, 1, 1, 0, 0, 0, 0};
    const WORD time[8] = {2024, 5, 3, 10, hour, 0, 0, 0};
    for (WORD w : time)
        Put16(report, w);
    Put16(report, 1);
    Put16(report, sizeof entry - 1);
    report.insert(report.end(), entry, entry + sizeof entry - 1);
    Put32(report, (DWORD)(report.size() + 12));
    Put32(report, (DWORD)block.size());
    Put32(report, (DWORD)records.size());
    report.insert(report.end(), block.begin(), block.end());
    return report;
}

// The older tree: directories of about thirty files each, depth first.
std::vector<BenchRecord> OlderTree(size_t count, CRandom& random)
{
    std::vector<BenchRecord> records;
    records.reserve(count);
    char name[96];
    for (size_t dir = 0; records.size() < count; dir++) {
        std::snprintf(name, sizeof name, "C:\\BENCH\\Folder%05u", (unsigned)dir);
        std::string folder = name;
        records.push_back({REC_DIRECTORY, folder, 0, 0x10, random.Next()});
        for (unsigned f = 0; f < 30 && records.size() < count; f++) {
            std::snprintf(name, sizeof name, "\\Document%03u.dat", f);
            records.push_back({REC_FILE, folder + name, random.Next() % 100000, 0x20, random.Next()});
        }
    }
    return records;
}

// The newer tree: the older one with per-mille rates of insertions, deletions
// and changes (of size, attributes or creation time).
std::vector<BenchRecord> NewerTree(const std::vector<BenchRecord>& older, DWORD perMille,
                                   CRandom& random)
{
    std::vector<BenchRecord> records;
    records.reserve(older.size() + older.size() / 16);
    unsigned added = 0;
    for (const BenchRecord& r : older) {
        if (random.Chance(perMille)) {
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, ".new%u", added++);
            records.push_back({REC_FILE, r.name + suffix, random.Next() % 1000, 0x20, random.Next()});
        }
        if (random.Chance(perMille))
            continue;
        records.push_back(r);
        if (random.Chance(perMille)) {
            BenchRecord& c = records.back();
            switch (random.Next() % 3) {
            case 0: c.dwSize += 1; break;
            case 1: c.dwAttributes ^= 0x02; break;
            default: c.dwCreation += 1; break;
            }
        }
    }
    return records;
}

struct BenchResult {
    double seconds;
    size_t lines;
    uint64_t searches;
};

BenchResult TimeComparison(const Bytes& older, const Bytes& newer, bool literal)
{
    CReportMemory a(older.data(), older.size()), b(newer.data(), newer.size());
    CCountingOutput out;
    CCompareCore core(&out, nullptr);
    core.m_bLiteralSearch = literal;
    auto start = std::chrono::steady_clock::now();
    core.Run(&a, "old.zmr", &b, "new.zmr");
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {took.count(), out.m_nLines, core.m_nSearches};
}

int Bench()
{
    const DWORD perMille = 20; // 2 % each of insertions, deletions and changes
    std::printf("report comparison: one directory entry, file records with sizes, attributes and\n"
                "creation times; the newer tree has %.1f%% insertions, %.1f%% deletions and %.1f%% "
                "changes\n\n",
                perMille / 10.0, perMille / 10.0, perMille / 10.0);
    std::printf("%10s %10s %12s %12s %12s %12s\n", "records", "lines", "searches", "indexed s",
                "literal s", "literal/idx");
    const size_t small[] = {5000, 10000, 20000, 40000};
    for (size_t n : small) {
        CRandom random(n);
        std::vector<BenchRecord> old = OlderTree(n, random);
        Bytes a = BenchReport(old, 9), b = BenchReport(NewerTree(old, perMille, random), 11);
        BenchResult fast = TimeComparison(a, b, false);
        BenchResult slow = TimeComparison(a, b, true);
        if (fast.lines != slow.lines || fast.searches != slow.searches) {
            std::printf("indexed and literal matching disagree at %zu records\n", n);
            return 1;
        }
        std::printf("%10zu %10zu %12llu %12.4f %12.4f %12.1f\n", n, fast.lines,
                    (unsigned long long)fast.searches, fast.seconds, slow.seconds,
                    slow.seconds / (fast.seconds > 0 ? fast.seconds : 1e-9));
        std::fflush(stdout);
    }
    const size_t large[] = {125000, 250000, 500000, 1000000};
    for (size_t n : large) {
        CRandom random(n);
        std::vector<BenchRecord> old = OlderTree(n, random);
        Bytes a = BenchReport(old, 9), b = BenchReport(NewerTree(old, perMille, random), 11);
        BenchResult fast = TimeComparison(a, b, false);
        std::printf("%10zu %10zu %12llu %12.4f %12s %12s   (%.0f ns per record)\n", n, fast.lines,
                    (unsigned long long)fast.searches, fast.seconds, "-", "-",
                    fast.seconds * 1e9 / (double)n);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int CompareCommand(int argc, char** argv)
{
    if (argc == 1 && std::strcmp(argv[0], "--bench") == 0)
        return Bench();
    const char* paths[2] = {nullptr, nullptr};
    int nPaths = 0;
    bool lists = false;
    CompareOutputs outputs;
    for (int k = 0; k < argc; k++) {
        const char** file = !std::strcmp(argv[k], "--reg-redo") ? &outputs.pszRedo
                            : !std::strcmp(argv[k], "--reg-undo") ? &outputs.pszUndo
                            : !std::strcmp(argv[k], "--html")     ? &outputs.pszHtml
                                                                  : nullptr;
        if (file) {
            if (*file || k + 1 >= argc)
                return Usage();
            *file = argv[++k];
        } else if (std::strcmp(argv[k], "-l") == 0 && !lists)
            lists = true;
        else if (nPaths < 2 && argv[k][0] != '-')
            paths[nPaths++] = argv[k];
        else
            return Usage();
    }
    if (nPaths != 2)
        return Usage();
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // Each line ended by CR LF whatever the platform, as the difference log holds it.
    CConsoleOutput out("\r\n");
    CCompareCore core(&out, nullptr);
    CRegistryDiff registry;
    CHtmlReport page;
    if (outputs.pszRedo || outputs.pszUndo)
        core.AddObserver(&registry);
    if (outputs.pszHtml)
        core.AddObserver(&page);
    int result = CCompareCore::RESULT_NOT_A_REPORT;
    try {
        result = core.Run(paths[0], paths[1]);
    } catch (...) {
        std::fprintf(stderr, "zmcli compare: out of memory\n");
    }
    if (result == CCompareCore::RESULT_COMPARED && lists) {
        out.AddLine("--");
        for (WORD k = 0; k < g_PathList.nCount; k++)
            out.AddLine(g_PathList.items[k].szPath);
        for (WORD k = 0; k < g_KeyList.nCount; k++)
            out.AddLine(g_KeyList.items[k].szPath);
    }
    std::fflush(stdout);
    if (result != CCompareCore::RESULT_COMPARED)
        return 1;
    bool written = false;
    try {
        written = WriteOutputs(outputs, registry, page);
    } catch (...) {
        std::fprintf(stderr, "zmcli compare: out of memory\n");
    }
    return written ? 0 : 1;
}
