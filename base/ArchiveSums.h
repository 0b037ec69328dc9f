// The checksum file written beside an archive ("Arc0000.zma" has
// "Arc0000.zma.sum"): what the archive was when it was written, so that readers
// can tell a damaged archive, or a damaged block in it, from a whole one. The
// archive itself stays as the format fixes it; an archive without its checksum
// file is read as before.
//
// Layout (numbers little-endian; CRC-32 as zip computes it, see Crc32.h):
//   0      8  magic "ZMSFv1.0"
//   8      8  the archive's size in bytes
//   16     4  CRC-32 of the whole archive
//   20     4  N, the number of blocks (file contents and value data)
//   24  12 N  per block, in archive order: the 8-byte offset of its record's
//             type byte, then the 4-byte CRC-32 of the block's plain bytes
//   24+12N 4  CRC-32 of all the bytes before it
// Paths are native text (code page 1251 on Windows, UTF-8 on Linux).
#pragma once

#include "framework/Platform.h"

#include <string>
#include <vector>

class CArchiveSums {
public:
    enum State {
        NONE,    // no checksum file beside the archive
        LOADED,  // read whole
        DAMAGED, // there, but not a checksum file that can be trusted
    };

    static const char kSuffix[];
    static std::string PathFor(const std::string& archive) { return archive + kSuffix; }

    CArchiveSums() : m_state(NONE), m_nSize(0), m_nCrc(0) {}

    // Reads the checksum file of the archive at path.
    State Load(const char* archivePath);
    State GetState() const { return m_state; }
    bool Loaded() const { return m_state == LOADED; }

    // The archive at path has the size and CRC-32 the file gives (false also
    // when it cannot be read).
    bool ArchiveMatches(const char* archivePath) const;
    // The plain bytes' CRC-32 of the block whose record starts at offset; false
    // when the file holds none for it.
    bool BlockCrc(unsigned long long offset, DWORD& crc) const;
    size_t Blocks() const { return m_blocks.size(); }

    // Writing: blocks in archive order, then the archive's size and CRC-32,
    // then the file beside the archive, in place of one of that name.
    void AddBlock(unsigned long long offset, DWORD crc) { m_blocks.push_back({offset, crc}); }
    bool Save(const char* archivePath) const;
    // The size and CRC-32 of a whole file; false when it cannot be read.
    static bool SumFile(const char* path, unsigned long long& size, DWORD& crc);
    // Removes the checksum file of the archive at path, if there is one.
    static void Remove(const char* archivePath);
    void SetArchive(unsigned long long size, DWORD crc)
    {
        m_nSize = size;
        m_nCrc = crc;
    }

private:
    struct Block {
        unsigned long long offset;
        DWORD crc;
    };
    State m_state;
    unsigned long long m_nSize;
    DWORD m_nCrc;
    std::vector<Block> m_blocks; // in archive order: offsets ascending
};
