#include "restore/ArchiveVerifier.h"

#include "base/RootKeys.h"
#include "restore/ArchiveLister.h"
#include "restore/ArchiveNames.h"

#include <cstdio>

CArchiveVerifier::CArchiveVerifier(CJobOutput& out, bool verbose, bool useSums)
    : m_nRecords(0), m_nBytes(0), m_nDamaged(0), m_nBlocks(0), m_out(out), m_bVerbose(verbose),
      m_bUseSums(useSums)
{
}

void CArchiveVerifier::Report(unsigned long long offset, const std::string& place,
                              const std::string& what)
{
    Damaged(ArchiveDamage(offset, place, what));
}

void CArchiveVerifier::Damaged(const ArchiveDamage& damage)
{
    m_nDamaged++;
    m_out.AddLine(damage.Line().c_str());
}

CArchiveVerifier::Result CArchiveVerifier::Verify(const char* path)
{
    m_nRecords = m_nBytes = m_nDamaged = m_nBlocks = 0;
    m_sums = CArchiveSums();
    if (m_bUseSums)
        m_sums.Load(path);
    m_decoder.SetSums(m_sums.Loaded() ? &m_sums : nullptr);
    CArchiveReader reader;
    ArchiveHeader header;
    if (!reader.Open(path))
        return NOT_AN_ARCHIVE;
    bool complete = reader.ReadHeader(header);
    if (!CArchiveReader::IsArchiveMagic(header.magic))
        return NOT_AN_ARCHIVE;
    if (m_sums.GetState() == CArchiveSums::DAMAGED)
        Report(0, "", "its checksum file " + CArchiveSums::PathFor(path) + " is damaged");
    if (complete) {
        CheckHeader(header);
        CRecordWalker walker(reader, header);
        walker.Walk(*this);
        m_nRecords = walker.Records();
    } else {
        Report(ARCHIVE_MAGIC_SIZE, "", "the archive ends inside its header");
    }
    m_nBytes = reader.Tell();
    if (m_sums.Loaded()) {
        if (!m_sums.ArchiveMatches(path))
            Report(0, "", "the archive's size or CRC-32 is not the one its checksum file gives");
        if (m_nBlocks != m_sums.Blocks()) {
            char what[96];
            std::snprintf(what, sizeof what, "%llu blocks, its checksum file gives %llu", m_nBlocks,
                          (unsigned long long)m_sums.Blocks());
            Report(0, "", what);
        }
    }

    char line[160];
    std::snprintf(line, sizeof line, "%llu records, %llu bytes checked: ", m_nRecords, m_nBytes);
    std::string summary = line;
    if (m_nDamaged == 0) {
        summary += "the archive is whole";
    } else {
        std::snprintf(line, sizeof line, "%llu damaged place%s", m_nDamaged, m_nDamaged == 1 ? "" : "s");
        summary += line;
    }
    summary += !m_bUseSums                                    ? " (checksum file not used)"
               : m_sums.GetState() == CArchiveSums::NONE     ? " (no checksum file)"
               : m_sums.Loaded() && m_nDamaged == 0          ? " (checksum file matches)"
                                                              : "";
    m_out.AddLine(summary.c_str());
    return m_nDamaged ? DAMAGED : WHOLE;
}

void CArchiveVerifier::CheckHeader(const ArchiveHeader& header)
{
    char what[80];
    for (int i = 0; i < 4; i++) {
        if (header.flags[i] > 1) {
            std::snprintf(what, sizeof what, "header flag %d is %u, not 0 or 1", i, (unsigned)header.flags[i]);
            Report(ARCHIVE_FLAGS_OFFSET + i, "", what);
        }
    }
    if (header.osFamily > OS_NT5) {
        std::snprintf(what, sizeof what, "operating-system family %u is not 0, 1 or 2",
                      (unsigned)header.osFamily);
        Report(ARCHIVE_FAMILY_OFFSET, "", what);
    }
}

void CArchiveVerifier::Record(CRecordWalker& walker, const ArchiveRecord& record)
{
    if (m_bVerbose)
        m_out.AddLine(CArchiveLister::Line(walker, record).c_str());
    switch (record.type) {
    case ARC_DIRECTORY:
    case ARC_FILE: {
        // The writer stores drives at the top and single components below them.
        bool named = record.depth == 0
                         ? record.type == ARC_DIRECTORY && IsDriveName(record.name.data(), record.name.size())
                         : IsSafeComponent(record.name.data(), record.name.size());
        if (!named)
            Report(record.offset, record.Path(),
                   record.depth == 0 ? "a top-level record that is not a drive"
                                     : "a name that is not one path component");
        break;
    }
    case ARC_KEY:
        if (!IsRootCode(record.storedRoot) || record.storedRoot != record.root) {
            char what[80];
            std::snprintf(what, sizeof what, "root 0x%08X is not %s", (unsigned)record.storedRoot,
                          record.depth == 0 ? "a registry root" : "the root of its tree");
            Report(record.offset, walker.PlaceOf(record), what);
        }
        if (record.depth > 0 && (record.name.empty() || record.name.find('\\') != std::string::npos))
            Report(record.offset, walker.PlaceOf(record), "a key name that is not one component");
        break;
    default:
        break;
    }
    if (record.type != ARC_FILE && record.type != ARC_VALUE)
        return;
    m_nBlocks++;
    switch (m_decoder.ToMemory(walker, record)) {
    case CBlockDecoder::DAMAGED: Report(record.offset, walker.PlaceOf(record), m_decoder.Damage()); break;
    case CBlockDecoder::NO_MEMORY:
        Report(record.offset, walker.PlaceOf(record), "no memory to check its code");
        break;
    default: break;
    }
}
