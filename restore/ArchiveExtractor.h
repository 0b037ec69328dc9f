// Writes the files and directories of an archive below a folder of the caller's
// choice instead of their old places: the drive of a record becomes a folder
// ("C:" -> DIR/C), the names below it follow as they are stored (converted to
// UTF-8 on Linux). Files get their stored times and read-only bit, directories
// their times. With a registry file chosen, the registry section is also written
// as a REGEDIT4 file.
//
// Nothing is written outside the folder, whatever the archive's names say: a top
// record that is not a drive, a name that is not one path component (empty, ".",
// "..", a separator or a drive inside, a device name), a key name with a
// separator or a control character, and a root that is not a registry root are
// refused with a line and their whole subtree is read past; an existing
// directory that is a link is not entered. An existing file is kept unless
// overwriting is asked for, and is then replaced whole or not at all (see
// CReplacingFile). A damaged archive stops the extraction where it breaks; what
// was written before stays, each file whole.
#pragma once

#include "base/JobOutput.h"
#include "restore/BlockDecoder.h"
#include "restore/ItemSelection.h"
#include "restore/RecordWalker.h"
#include "base/RegFileWriter.h"

#include <memory>
#include <string>
#include <vector>

class CArchiveExtractor : public CRecordVisitor {
public:
    enum Result {
        DONE,           // everything asked for was written (or kept as it was)
        INCOMPLETE,     // damage, refused names, failed writes or items not found
        NOT_AN_ARCHIVE, // cannot be opened, or does not begin with the magic
    };

    // Lines (code page 1251) go to out.
    explicit CArchiveExtractor(CJobOutput& out);

    // The folder (native text), which must exist; see MakeFolder.
    void SetTarget(const std::string& folder);
    void SetOverwrite(bool overwrite) { m_bOverwrite = overwrite; }
    // An archive path in code page 1251 (see CItemSelection).
    void AddItem(const std::string& item) { m_items.Add(item); }
    // Also write the registry section to this file (native text).
    void SetRegFile(const std::string& path) { m_regFile = path; }

    Result Extract(const char* archivePath);

    // Creates a folder and the folders above it that are missing; false when it
    // cannot be had as a directory.
    static bool MakeFolder(const std::string& path);

    unsigned long long m_nFiles, m_nDirectories, m_nBytes, m_nKept, m_nProblems;
    unsigned long long m_nKeys, m_nValues;

private:
    // A directory of the files section on the way down.
    struct Level {
        bool ignored;     // its records are not extracted (refused, not asked for, failed)
        bool selected;    // asked for: it is created even when empty, and gets its times
        bool created;     // exists on disk as a directory
        bool drive;
        size_t nativeEnd;  // length of the native path up to and with its name
        size_t archiveEnd; // length of the archive path up to and with its name
    };
    // A key of the registry section on the way down.
    struct KeyLevel {
        bool ignored;
        bool selected;
    };

    void Record(CRecordWalker& walker, const ArchiveRecord& record) override;
    void DirectoryEnd(const ArchiveRecord& record) override;
    void Damaged(const ArchiveDamage& damage) override;

    void Directory(const ArchiveRecord& record);
    void File(CRecordWalker& walker, const ArchiveRecord& record);
    void Key(CRecordWalker& walker, const ArchiveRecord& record);
    void Value(CRecordWalker& walker, const ArchiveRecord& record);
    // Creates the directories of the levels up to `level` that are not there
    // yet; false (after a line, with those levels and all below ignored) when
    // one cannot be had.
    bool MakeLevels(size_t level, const std::string& archivePath);
    // The component a directory or file record becomes, or false when its name
    // is refused.
    bool Component(const ArchiveRecord& record, std::string& native);
    // Reports a block that was not decoded; false for it.
    bool Decoded(CRecordWalker& walker, const ArchiveRecord& record, CBlockDecoder::Status status);
    void WriteRegFile();

    void Line(const std::string& text);
    void Problem(const std::string& text);

    CJobOutput& m_out;
    std::string m_target; // ends in the separator
    std::string m_regFile;
    bool m_bOverwrite;
    bool m_bDamaged;
    CItemSelection m_items;
    CArchiveSums m_sums;
    CBlockDecoder m_decoder;
    std::unique_ptr<CRegFileWriter> m_reg;
    bool m_bTimes, m_bAttributes;

    std::vector<Level> m_levels;
    std::string m_native; // native path of the deepest level
    std::vector<KeyLevel> m_keys;
};
