// Data and timing for zmcli's benchmarks: generated corpora that code like real
// files (text-like and executable-like), and the time a piece of work takes.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// Text-like corpus: words of a small vocabulary in sentences and lines.
Bytes TextCorpus(size_t size);
// Binary corpus: executable-like records of small numbers, repeated structures
// and stretches of noise.
Bytes BinaryCorpus(size_t size);

// Seconds the call takes, by the steady clock.
double Seconds(const std::function<void()>& f);
