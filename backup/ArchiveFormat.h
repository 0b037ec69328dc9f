// Layout of an archive (.zma): a 29-byte header, then the files section and the
// registry section, each a 32-bit count of top-level records followed by that many
// record trees in pre-order. Integers are little-endian; names are single path
// components in code page 1251 with a 16-bit length and no terminator. Only file
// contents and value data are compressed, each as one LZSS block (plain size,
// code size, code). The DOS restore utility reads the same files, so nothing here
// may change.
#pragma once

#include "framework/Platform.h"

// Header fields.
#define ARCHIVE_MAGIC "ZMAFv1.0"
enum {
    ARCHIVE_MAGIC_SIZE = 8,
    ARCHIVE_FLAGS_OFFSET = 8,   // four flag bytes, in ArchiveFlags order
    ARCHIVE_TIME_OFFSET = 12,   // SYSTEMTIME of the creation, universal time
    ARCHIVE_TIME_SIZE = 16,
    ARCHIVE_FAMILY_OFFSET = 28, // operating-system family of the writer
    ARCHIVE_HEADER_SIZE = 29,
};

// Type codes: the first byte of every record.
enum : BYTE {
    ARC_DIRECTORY = 1,
    ARC_FILE = 2,
    ARC_KEY = 3,
    ARC_VALUE = 4,
};

// Longest name a record holds (names come from 260-byte buffers).
enum { ARCHIVE_MAX_NAME = 259 };

// Sizes of the fixed fields. A directory or file record is: type, name length,
// name, [attributes], [access date, access time, write date, write time], then a
// child count (directory) or plain size, code size, code (file).
enum {
    ARC_TYPE_SIZE = 1,
    ARC_NAME_LENGTH_SIZE = 2,
    ARC_ATTRIBUTES_SIZE = 4,   // only when the header's attributes flag is set
    ARC_TIMES_SIZE = 8,        // only when the header's times flag is set
    ARC_COUNT_SIZE = 4,
    ARC_BLOCK_FRAME_SIZE = 8,  // plain size, code size
    // Key record: type, name length, name, root, subkey count, value count.
    ARC_KEY_FIXED_SIZE = ARC_TYPE_SIZE + ARC_NAME_LENGTH_SIZE + 4 + 4 + 4,
    // Value record: type, name length, name, value type, plain size, code size, code.
    ARC_VALUE_FIXED_SIZE = ARC_TYPE_SIZE + ARC_NAME_LENGTH_SIZE + 4 + ARC_BLOCK_FRAME_SIZE,
};

// Size of a directory record without its name and children, and of a file
// record without its name and code, for the given header flags.
inline DWORD ArchiveDirectoryFixedSize(bool attributes, bool times)
{
    return ARC_TYPE_SIZE + ARC_NAME_LENGTH_SIZE + (attributes ? ARC_ATTRIBUTES_SIZE : 0) +
           (times ? ARC_TIMES_SIZE : 0) + ARC_COUNT_SIZE;
}

inline DWORD ArchiveFileFixedSize(bool attributes, bool times)
{
    return ARC_TYPE_SIZE + ARC_NAME_LENGTH_SIZE + (attributes ? ARC_ATTRIBUTES_SIZE : 0) +
           (times ? ARC_TIMES_SIZE : 0) + ARC_BLOCK_FRAME_SIZE;
}
