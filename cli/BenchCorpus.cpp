#include "cli/BenchCorpus.h"

#include <chrono>
#include <cstdio>
#include <cstring>

Bytes TextCorpus(size_t size)
{
    static const char* words[] = {"the", "system", "file", "registry", "key", "value", "archive",
                                  "restore", "directory", "windows", "settings", "report", "and",
                                  "of", "to", "in", "is", "for", "with", "data", "program",
                                  "Software", "Microsoft", "CurrentVersion", "=", "[Boot]", "C:\\"};
    const size_t count = sizeof words / sizeof *words;
    Bytes out;
    out.reserve(size);
    unsigned seed = 12345;
    while (out.size() < size) {
        seed = seed * 1103515245u + 12345u;
        const char* w = words[(seed >> 16) % count];
        out.insert(out.end(), w, w + std::strlen(w));
        out.push_back((seed >> 8) % 11 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

Bytes BinaryCorpus(size_t size)
{
    Bytes out;
    out.reserve(size);
    unsigned seed = 987654321u;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    while (out.size() < size) {
        unsigned kind = next() % 4;
        if (kind == 0) {
            for (int i = 0; i < 64; i++)
                out.push_back((unsigned char)next());
        } else if (kind == 1) {
            unsigned v = next() % 512;
            for (int i = 0; i < 16; i++) {
                out.push_back((unsigned char)(v + i));
                out.push_back((unsigned char)((v + i) >> 8));
                out.push_back(0);
                out.push_back(0);
            }
        } else if (kind == 2 && out.size() > 4096) {
            size_t from = out.size() - 1 - next() % 4000;
            size_t n = 8 + next() % 40;
            for (size_t i = 0; i < n; i++)
                out.push_back(out[from + i]);
        } else {
            out.insert(out.end(), 24, (unsigned char)(next() % 3 == 0 ? 0 : 0x90));
        }
    }
    out.resize(size);
    return out;
}

double Seconds(const std::function<void()>& f)
{
    using clock = std::chrono::steady_clock;
    clock::time_point start = clock::now();
    f();
    return std::chrono::duration<double>(clock::now() - start).count();
}

std::vector<BenchFile> BenchTree()
{
    std::vector<BenchFile> files;
    const Bytes text = TextCorpus(32u << 20), binary = BinaryCorpus(32u << 20);
    size_t at = 0;
    unsigned seed = 7;
    for (int i = 0; at < text.size() + binary.size(); i++) {
        seed = seed * 1103515245u + 12345u;
        // Four in five small (1 to 16 KiB), the others large (64 KiB to 2 MiB).
        unsigned r = seed >> 16;
        size_t size = r % 5 ? (size_t)1024 << (r / 5 % 5) : (size_t)65536 << (r / 5 % 6);
        const bool isText = at < text.size();
        const Bytes& from = isText ? text : binary;
        size_t start = isText ? at : at - text.size();
        if (start + size > from.size())
            size = from.size() - start;
        BenchFile f;
        char name[32];
        std::snprintf(name, sizeof name, "d%02d", i % 8);
        f.dir = name;
        std::snprintf(name, sizeof name, "f%05d.%s", i, isText ? "txt" : "bin");
        f.name = name;
        f.data.assign(from.begin() + start, from.begin() + start + size);
        at += size;
        files.push_back(std::move(f));
    }
    return files;
}

