// Decodes the block of the file or value record a walk is visiting, into memory or
// into an open file, and says what is wrong with a block that does not give the
// plain size its record states, or (with the archive's checksum file) plain bytes
// other than those the archive was written with. The verifier and the extractor
// share it; it keeps its buffers from one block to the next.
#pragma once

#include "base/ArchiveSums.h"
#include "compress/Compress.h"
#include "restore/RecordWalker.h"

#include <memory>
#include <string>
#include <vector>

class CBlockDecoder {
public:
    enum Status {
        DECODED,      // exactly the plain size came out
        DAMAGED,      // see Damage()
        NO_MEMORY,    // for the code or the plain bytes
        WRITE_FAILED, // the file could not be written
    };

    CBlockDecoder();

    // Checks each decoded block against these sums too (null: not).
    void SetSums(const CArchiveSums* sums) { m_pSums = sums; }

    // Into Plain() (record.count bytes).
    Status ToMemory(CRecordWalker& walker, const ArchiveRecord& record);
    // Into the file, through the codec's output buffer.
    Status ToFile(CRecordWalker& walker, const ArchiveRecord& record, HANDLE file);

    const BYTE* Plain() const { return m_plain.data(); }
    // What was wrong with the last DAMAGED block.
    const std::string& Damage() const { return m_damage; }

private:
    Status ReadCode(CRecordWalker& walker, const ArchiveRecord& record);
    Status Check(const ArchiveRecord& record, DWORD produced, DWORD crc);

    const CArchiveSums* m_pSums;
    std::unique_ptr<CCompress> m_codec;
    std::vector<BYTE> m_code;
    std::vector<BYTE> m_plain;
    std::string m_damage;
};
