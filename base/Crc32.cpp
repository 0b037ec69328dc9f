#include "base/Crc32.h"

namespace {

struct CrcTable {
    uint32_t entries[256];
    CrcTable()
    {
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int bit = 0; bit < 8; bit++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[i] = c;
        }
    }
};

// Made before main, so before any coding thread starts.
const CrcTable g_table;

} // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    while (size--)
        crc = g_table.entries[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
