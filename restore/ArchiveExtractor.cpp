#include "restore/ArchiveExtractor.h"

#include "base/Cp1251.h"
#include "base/RootKeys.h"
#include "restore/ArchiveNames.h"
#include "restore/ReplacingFile.h"

#include <cstdio>
#include <new>

namespace {

// A native path as a line shows it.
std::string Shown(const std::string& native)
{
    std::string text;
    return TextFromNative(native, text) ? text : native;
}

bool IsPlainDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A key or value name that keeps to its line of the registry file and, for a
// key, to one component.
bool IsCleanRegistryName(const std::string& name, bool key)
{
    for (char c : name)
        if ((unsigned char)c < 32 || (key && c == '\\'))
            return false;
    return true;
}

} // namespace

CArchiveExtractor::CArchiveExtractor(CJobOutput& out)
    : m_nFiles(0), m_nDirectories(0), m_nBytes(0), m_nKept(0), m_nProblems(0), m_nKeys(0),
      m_nValues(0), m_out(out), m_bOverwrite(false), m_bDamaged(false), m_bTimes(false),
      m_bAttributes(false)
{
}

void CArchiveExtractor::SetTarget(const std::string& folder)
{
    m_target = folder;
    if (m_target.empty() || (m_target.back() != kPathSeparator && m_target.back() != '/'))
        m_target += kPathSeparator;
}

bool CArchiveExtractor::MakeFolder(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && (p.back() == kPathSeparator || p.back() == '/'))
        p.pop_back();
    if (p.empty())
        return false;
    DWORD attributes = GetFileAttributesA(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t cut = p.find_last_of("/\\");
    if (cut != std::string::npos && cut > 0) {
        std::string parent = p.substr(0, cut);
        // "C:" is the drive itself.
        bool drive = parent.size() == 2 && parent[1] == ':';
        if (!drive && !MakeFolder(parent))
            return false;
    }
    return CreateDirectoryA(p.c_str(), nullptr) || IsPlainDirectory(p);
}

void CArchiveExtractor::Line(const std::string& text) { m_out.AddLine(text.c_str()); }

void CArchiveExtractor::Problem(const std::string& text)
{
    m_nProblems++;
    Line(text);
}

void CArchiveExtractor::Damaged(const ArchiveDamage& damage)
{
    m_bDamaged = true;
    Line(damage.Line());
}

bool CArchiveExtractor::Decoded(CRecordWalker& walker, const ArchiveRecord& record,
                                CBlockDecoder::Status status)
{
    const std::string place = Printable(walker.PlaceOf(record));
    switch (status) {
    case CBlockDecoder::DECODED: return true;
    case CBlockDecoder::DAMAGED:
        Damaged(ArchiveDamage(record.offset, walker.PlaceOf(record), m_decoder.Damage()));
        return false;
    case CBlockDecoder::NO_MEMORY: Problem("no memory for " + place); return false;
    default: Problem("cannot write " + place); return false;
    }
}

CArchiveExtractor::Result CArchiveExtractor::Extract(const char* archivePath)
{
    CArchiveReader reader;
    ArchiveHeader header;
    if (!reader.Open(archivePath))
        return NOT_AN_ARCHIVE;
    bool complete = reader.ReadHeader(header);
    if (!CArchiveReader::IsArchiveMagic(header.magic))
        return NOT_AN_ARCHIVE;
    m_bDamaged = false;
    m_levels.clear();
    m_keys.clear();
    m_bAttributes = header.flags[1] != 0;
    m_bTimes = header.flags[2] != 0;
    if (!m_regFile.empty())
        m_reg.reset(new CRegFileWriter);
    // With its checksum file, a block is written only when its plain bytes are
    // those the archive was written with.
    if (m_sums.Load(archivePath) == CArchiveSums::DAMAGED)
        Problem("the checksum file " + Shown(CArchiveSums::PathFor(archivePath)) +
                " is damaged: blocks are not checked against it");
    else if (m_sums.Loaded() && !m_sums.ArchiveMatches(archivePath))
        Damaged(ArchiveDamage(0, "", "the archive's size or CRC-32 is not the one its checksum file gives"));
    m_decoder.SetSums(m_sums.Loaded() ? &m_sums : nullptr);
    if (complete) {
        CRecordWalker walker(reader, header);
        walker.Walk(*this);
    } else {
        Damaged(ArchiveDamage(ARCHIVE_MAGIC_SIZE, "", "the archive ends inside its header"));
    }
    reader.Close();

    for (const std::string& item : m_items.Unfound())
        Problem("not in the archive: " + Printable(item));
    if (m_reg)
        WriteRegFile();

    char text[200];
    std::snprintf(text, sizeof text, "extracted %llu file%s (%llu bytes) and %llu director%s",
                  m_nFiles, m_nFiles == 1 ? "" : "s", m_nBytes, m_nDirectories,
                  m_nDirectories == 1 ? "y" : "ies");
    std::string summary = text;
    if (m_reg) {
        std::snprintf(text, sizeof text, ", %llu key%s and %llu value%s", m_nKeys,
                      m_nKeys == 1 ? "" : "s", m_nValues, m_nValues == 1 ? "" : "s");
        summary += text;
    }
    if (m_nKept) {
        std::snprintf(text, sizeof text, "; %llu existing file%s kept", m_nKept, m_nKept == 1 ? "" : "s");
        summary += text;
    }
    if (m_nProblems) {
        std::snprintf(text, sizeof text, "; %llu not extracted", m_nProblems);
        summary += text;
    }
    if (m_bDamaged)
        summary += "; the archive is damaged";
    Line(summary);
    return m_bDamaged || m_nProblems ? INCOMPLETE : DONE;
}

void CArchiveExtractor::Record(CRecordWalker& walker, const ArchiveRecord& record)
{
    switch (record.type) {
    case ARC_DIRECTORY: Directory(record); break;
    case ARC_FILE: File(walker, record); break;
    case ARC_KEY: Key(walker, record); break;
    case ARC_VALUE: Value(walker, record); break;
    }
}

// ---- files section ----------------------------------------------------------

bool CArchiveExtractor::Component(const ArchiveRecord& record, std::string& native)
{
    const char* name = record.name.data();
    const size_t length = record.name.size();
    if (record.depth == 0) {
        if (record.type != ARC_DIRECTORY || !IsDriveName(name, length)) {
            Problem("refused (" + Printable(record.Path()) + "): a top-level record that is not a drive");
            return false;
        }
        native.assign(1, Cp1251Upper(name[0]));
        return true;
    }
    if (!IsSafeComponent(name, length)) {
        Problem("refused (" + Printable(record.Path()) + "): a name that is not one path component");
        return false;
    }
    native = NativeText(record.name);
    return true;
}

void CArchiveExtractor::Directory(const ArchiveRecord& record)
{
    const size_t depth = record.depth;
    m_levels.resize(depth);
    Level level = {true, false, false, depth == 0, 0, record.Path().size()};
    std::string component;
    if ((depth == 0 || !m_levels[depth - 1].ignored) && Component(record, component)) {
        CItemSelection::Match match = m_items.Of(record.Path());
        if (match != CItemSelection::NONE) {
            m_native.resize(depth ? m_levels[depth - 1].nativeEnd : m_target.size());
            if (depth == 0)
                m_native = m_target;
            else
                m_native += kPathSeparator;
            m_native += component;
            level.ignored = false;
            level.selected = match == CItemSelection::SELECTED;
            level.nativeEnd = m_native.size();
        }
    }
    m_levels.push_back(level);
    // An asked-for directory is made even when nothing is in it.
    if (level.selected)
        MakeLevels(depth, record.Path());
}

bool CArchiveExtractor::MakeLevels(size_t last, const std::string& archivePath)
{
    for (size_t i = 0; i <= last; i++) {
        Level& level = m_levels[i];
        if (level.created)
            continue;
        const std::string path = m_native.substr(0, level.nativeEnd);
        bool made = CreateDirectoryA(path.c_str(), nullptr) != FALSE;
        if (made) {
            m_nDirectories++;
        } else if (!IsPlainDirectory(path)) {
            DWORD attributes = GetFileAttributesA(path.c_str());
            const char* why = attributes == INVALID_FILE_ATTRIBUTES ? "cannot create the directory"
                              : (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                                  ? "a link is in the way of the directory"
                                  : "a file is in the way of the directory";
            Problem(std::string(why) + " " + Printable(archivePath.substr(0, level.archiveEnd)));
            for (size_t k = i; k < m_levels.size(); k++)
                m_levels[k].ignored = true;
            return false;
        }
        level.created = true;
    }
    return true;
}

void CArchiveExtractor::DirectoryEnd(const ArchiveRecord& record)
{
    if (record.depth >= m_levels.size())
        return;
    const Level& level = m_levels[record.depth];
    if (level.ignored || !level.created || !level.selected || level.drive || !m_bTimes)
        return;
    // Times go on after the contents, which would otherwise change them.
    FILETIME access, write;
    bool a = DosStampToFileTime(record.accessDate, record.accessTime, &access);
    bool w = DosStampToFileTime(record.writeDate, record.writeTime, &write);
    if (!a && !w)
        return;
    const std::string path = m_native.substr(0, level.nativeEnd);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    SetFileTime(h, nullptr, a ? &access : nullptr, w ? &write : nullptr);
    CloseHandle(h);
}

void CArchiveExtractor::File(CRecordWalker& walker, const ArchiveRecord& record)
{
    const size_t depth = record.depth;
    m_levels.resize(depth);
    if (depth > 0 && m_levels[depth - 1].ignored)
        return;
    std::string component;
    if (!Component(record, component))
        return;
    if (m_items.Of(record.Path()) != CItemSelection::SELECTED)
        return;
    if (!MakeLevels(depth - 1, record.Path()))
        return;
    m_native.resize(m_levels[depth - 1].nativeEnd);
    const std::string target = m_native + kPathSeparator + component;
    const std::string shown = Printable(record.Path());

    DWORD existing = GetFileAttributesA(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if ((existing & FILE_ATTRIBUTE_DIRECTORY) && !(existing & FILE_ATTRIBUTE_REPARSE_POINT)) {
            Problem("a directory is in the way of " + shown);
            return;
        }
        if (!m_bOverwrite) {
            m_nKept++;
            Line("kept: " + shown + " exists (-o replaces it)");
            return;
        }
    }

    CReplacingFile out(target);
    if (!out.Create()) {
        Problem("cannot write " + shown);
        return;
    }
    // A block that is not the file that was archived leaves nothing of it.
    if (!Decoded(walker, record, m_decoder.ToFile(walker, record, out.Handle())))
        return;
    FILETIME access, write;
    bool a = m_bTimes && DosStampToFileTime(record.accessDate, record.accessTime, &access);
    bool w = m_bTimes && DosStampToFileTime(record.writeDate, record.writeTime, &write);
    bool readOnly = m_bAttributes && (record.attributes & FILE_ATTRIBUTE_READONLY);
    if (!out.Commit(m_bOverwrite, readOnly, a ? &access : nullptr, w ? &write : nullptr)) {
        Problem("cannot write " + shown);
        return;
    }
    m_nFiles++;
    m_nBytes += record.count;
}

// ---- registry section -------------------------------------------------------

void CArchiveExtractor::Key(CRecordWalker& walker, const ArchiveRecord& record)
{
    if (!m_reg)
        return;
    const size_t depth = record.depth;
    m_keys.resize(depth);
    KeyLevel level = {true, false};
    if (depth == 0 || !m_keys[depth - 1].ignored) {
        const std::string place = walker.PlaceOf(record);
        if (!IsRootCode(record.root)) {
            Problem("refused (" + Printable(place) + "): not a registry root");
        } else if (!IsCleanRegistryName(record.name, true) || (depth > 0 && record.name.empty())) {
            Problem("refused (" + Printable(place) + "): a key name that is not one component");
        } else {
            CItemSelection::Match match = m_items.Of(place);
            if (match != CItemSelection::NONE) {
                level.ignored = false;
                level.selected = match == CItemSelection::SELECTED;
            }
            if (level.selected) {
                m_reg->Key(place);
                m_nKeys++;
            }
        }
    }
    m_keys.push_back(level);
}

void CArchiveExtractor::Value(CRecordWalker& walker, const ArchiveRecord& record)
{
    if (!m_reg || record.depth == 0 || record.depth > m_keys.size())
        return;
    const KeyLevel& key = m_keys[record.depth - 1];
    if (key.ignored || !key.selected)
        return;
    if (!IsCleanRegistryName(record.name, false)) {
        Problem("refused (" + Printable(walker.PlaceOf(record)) + "): a value name with a control character");
        return;
    }
    if (!Decoded(walker, record, m_decoder.ToMemory(walker, record)))
        return;
    m_reg->Value(record.name, record.valueType, m_decoder.Plain(), record.count);
    m_nValues++;
}

void CArchiveExtractor::WriteRegFile()
{
    const std::string text = m_reg->Text();
    const std::string shown = Shown(m_regFile);
    if (!m_bOverwrite && GetFileAttributesA(m_regFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        Problem("not written: " + shown + " exists (-o replaces it)");
        return;
    }
    CReplacingFile out(m_regFile);
    if (!out.Create() || !out.Write(text.data(), (DWORD)text.size()) ||
        !out.Commit(m_bOverwrite, false, nullptr, nullptr))
        Problem("cannot write " + shown);
}
