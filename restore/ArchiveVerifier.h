// Checks that an archive is whole: walks every record, decodes every block and
// compares what it gives with the plain size its record states, and checks the
// header's flags, the counts (a count that promises more records than follow, or
// fewer, shows as a record of the wrong kind, a short read or bytes after the last
// record), the roots of the key records, the names of the file records, and the
// end of the file. One line per damaged place, then one line with the numbers of
// records and bytes checked; with `verbose` every record's line as the lister
// writes it, in archive order among the others. With the archive's checksum file
// beside it (unless told not to use it), the whole archive and each block's plain
// bytes are checked against it too; the last line says whether there was one.
#pragma once

#include "base/JobOutput.h"
#include "restore/BlockDecoder.h"
#include "restore/RecordWalker.h"

class CArchiveVerifier : public CRecordVisitor {
public:
    enum Result {
        WHOLE,
        DAMAGED,
        NOT_AN_ARCHIVE, // cannot be opened, or does not begin with the magic
    };

    CArchiveVerifier(CJobOutput& out, bool verbose, bool useSums = true);

    // Checks the archive at path (native text). For NOT_AN_ARCHIVE nothing is
    // written: the caller names the file as it was given.
    Result Verify(const char* path);

    unsigned long long m_nRecords;
    unsigned long long m_nBytes;   // bytes of the archive read through
    unsigned long long m_nDamaged; // damaged places
    unsigned long long m_nBlocks;  // file and value blocks met

private:
    void Record(CRecordWalker& walker, const ArchiveRecord& record) override;
    void Damaged(const ArchiveDamage& damage) override;
    void Report(unsigned long long offset, const std::string& place, const std::string& what);
    void CheckHeader(const ArchiveHeader& header);

    CJobOutput& m_out;
    bool m_bVerbose;
    bool m_bUseSums;
    CArchiveSums m_sums;
    CBlockDecoder m_decoder;
};
