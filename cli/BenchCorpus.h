// Data and timing for zmcli's benchmarks: generated corpora that code like real
// files (text-like and executable-like), and the time a piece of work takes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// Text-like corpus: words of a small vocabulary in sentences and lines.
Bytes TextCorpus(size_t size);
// Binary corpus: executable-like records of small numbers, repeated structures
// and stretches of noise.
Bytes BinaryCorpus(size_t size);

// Seconds the call takes, by the steady clock.
double Seconds(const std::function<void()>& f);

// One generated file of a benchmark tree.
struct BenchFile {
    std::string dir;  // one folder name
    std::string name;
    Bytes data;
    Bytes code;       // for those who code it
};

// Text-like and executable-like files of many sizes in eight folders, 64 MiB in
// all: four in five small (1 to 16 KiB), the others large (64 KiB to 2 MiB).
std::vector<BenchFile> BenchTree();
