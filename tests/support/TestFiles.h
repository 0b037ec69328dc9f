// File helpers for tests: a scratch directory of its own per test, whole-file reads
// and writes, hex dumps for readable failures.
#pragma once

#include "framework/Platform.h"

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// A fresh, empty directory (path ends in the separator), removed with its
// contents when the object goes away.
class CScratchDir {
public:
    CScratchDir();
    ~CScratchDir();
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

bool ReadFileBytes(const std::string& path, Bytes& out);
Bytes ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const Bytes& data);
bool FileExistsAt(const std::string& path);
std::string Hex(const Bytes& data, size_t max = 64);
Bytes MakeBytes(std::initializer_list<int> values);
// A whole file as text (empty when it cannot be read), and text written as a file.
std::string ReadText(const std::string& path);
bool WriteText(const std::string& path, const std::string& text);
// Removes a directory tree, clearing read-only attributes on the way; EmptyTree
// removes only what is inside the directory.
void RemoveTree(const std::string& path);
void EmptyTree(const std::string& path);
// Deterministic pseudo-random bytes, and text-like bytes.
Bytes RandomBytes(size_t size, unsigned seed);
Bytes TextBytes(size_t size, unsigned seed);
