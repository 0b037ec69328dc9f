// CRC-32 as zip, PNG and Ethernet compute it (reflected polynomial 0xEDB88320,
// starting and final value 0xFFFFFFFF), from a table made once.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of size bytes at data, continuing from crc, the CRC-32 of what
// came before them (0 for nothing): Crc32(Crc32(0, a), b) is the CRC-32 of a
// followed by b.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);
