#include "restore/RecordWalker.h"

#include "base/RootKeys.h"

#include <cstdio>
#include <new>

std::string ArchiveDamage::Line() const
{
    char at[32];
    std::snprintf(at, sizeof at, "%llu", offset);
    std::string line = std::string("damaged at ") + at;
    if (!place.empty())
        line += " (" + Printable(place) + ")";
    return line + ": " + what;
}

CRecordWalker::CRecordWalker(CArchiveReader& reader, const ArchiveHeader& header)
    : m_reader(reader), m_header(header), m_nRecords(0), m_codeStart(0), m_codeSize(0),
      m_bCodeRead(true)
{
}

std::string CRecordWalker::RootName(DWORD root) const
{
    if (!IsRootCode(root)) {
        char text[24];
        std::snprintf(text, sizeof text, "root 0x%08X", (unsigned)root);
        return text;
    }
    return RootKeyName(root, m_header.osFamily);
}

std::string CRecordWalker::KeyPath(DWORD root, const std::string& path) const
{
    std::string s = RootName(root);
    if (!path.empty())
        s += "\\" + path;
    return s;
}

std::string CRecordWalker::PlaceOf(const ArchiveRecord& record) const
{
    switch (record.type) {
    case ARC_KEY: return KeyPath(record.root, record.Path());
    case ARC_VALUE: return KeyPath(record.root, record.Path()) + ", value \"" + record.name + "\"";
    default: return record.Path();
    }
}

bool CRecordWalker::Walk(CRecordVisitor& visitor)
{
    m_nRecords = 0;
    if (m_header.flags[0] && !WalkFiles(visitor))
        return false;
    if (m_header.flags[3] && !WalkKeys(visitor))
        return false;
    // The archive ends after the last record of its last section; bytes beyond it
    // mean the counts do not describe the file.
    if (m_reader.Remaining() > 0) {
        char what[64];
        std::snprintf(what, sizeof what, "%llu bytes follow the last record", m_reader.Remaining());
        return Damage(visitor, m_reader.Tell(), "", what);
    }
    return true;
}

bool CRecordWalker::Damage(CRecordVisitor& visitor, unsigned long long offset,
                           const std::string& place, const std::string& what)
{
    m_reader.m_bDamaged = true;
    visitor.Damaged(ArchiveDamage(offset, place, what));
    return false;
}

bool CRecordWalker::TypeDamage(CRecordVisitor& visitor, unsigned long long offset,
                               const std::string& place, BYTE type, const char* expected)
{
    char what[80];
    std::snprintf(what, sizeof what, "record type %u where %s belongs", (unsigned)type, expected);
    return Damage(visitor, offset, place, what);
}

bool CRecordWalker::HeadDamage(CRecordVisitor& visitor, unsigned long long offset,
                               const std::string& place, WORD nameLength)
{
    if (nameLength > ARCHIVE_MAX_NAME) {
        char what[64];
        std::snprintf(what, sizeof what, "a name of %u bytes, more than %u", (unsigned)nameLength,
                      (unsigned)ARCHIVE_MAX_NAME);
        return Damage(visitor, offset, place, what);
    }
    return Damage(visitor, offset, place, "the archive ends inside this record");
}

bool CRecordWalker::ReadCode(std::vector<BYTE>& code)
{
    if (m_bCodeRead)
        return false;
    try {
        code.resize(m_codeSize);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_bCodeRead = true;
    return m_codeSize == 0 || m_reader.Read(code.data(), m_codeSize);
}

bool CRecordWalker::VisitWithCode(CRecordVisitor& visitor, ArchiveRecord& record)
{
    if (record.codeSize > m_reader.Remaining())
        return Damage(visitor, record.offset, PlaceOf(record), "its code runs past the end of the archive");
    m_codeStart = m_reader.Tell();
    m_codeSize = record.codeSize;
    m_bCodeRead = false;
    visitor.Record(*this, record);
    m_bCodeRead = true;
    if (m_reader.m_bDamaged)
        return Damage(visitor, record.offset, PlaceOf(record), "its code cannot be read");
    unsigned long long end = m_codeStart + m_codeSize;
    if (m_reader.Tell() != end && !m_reader.Skip((DWORD)(end - m_reader.Tell())))
        return Damage(visitor, record.offset, PlaceOf(record), "its code cannot be read");
    return true;
}

bool CRecordWalker::ReadSectionCount(CRecordVisitor& visitor, DWORD& count, const char* section)
{
    m_path.clear();
    unsigned long long at = m_reader.Tell();
    if (m_reader.ReadDword(count))
        return true;
    return Damage(visitor, at, "", std::string("the archive ends before the count of its ") + section +
                                       " section");
}

bool CRecordWalker::WalkFiles(CRecordVisitor& visitor)
{
    const bool attributes = m_header.flags[1] != 0, times = m_header.flags[2] != 0;
    DWORD count = 0;
    if (!ReadSectionCount(visitor, count, "files"))
        return false;
    std::vector<DirFrame> stack;
    stack.push_back({count, 0, ArchiveRecord()});
    while (!stack.empty()) {
        DirFrame& frame = stack.back();
        if (frame.left == 0) {
            if (stack.size() > 1) {
                ArchiveRecord& dir = frame.dir;
                dir.name = m_path.substr(frame.pathLength + (stack.size() > 2 ? 1 : 0));
                dir.path = &m_path;
                visitor.DirectoryEnd(dir);
            }
            m_path.resize(frame.pathLength);
            stack.pop_back();
            continue;
        }
        frame.left--;
        const size_t depth = stack.size() - 1;
        const size_t parentLength = m_path.size();

        ArchiveRecord record;
        record.offset = m_reader.Tell();
        record.depth = depth;
        FileRecordHead head;
        if (!m_reader.ReadFileHead(head, attributes, times)) {
            std::string place = m_path;
            if (head.nameLength && head.nameLength <= ARCHIVE_MAX_NAME)
                place += (depth ? "\\" : "") + std::string(head.name, head.nameLength);
            return HeadDamage(visitor, record.offset, place, head.nameLength);
        }
        record.type = head.type;
        record.name.assign(head.name, head.nameLength);
        record.attributes = head.attributes;
        record.accessDate = head.accessDate;
        record.accessTime = head.accessTime;
        record.writeDate = head.writeDate;
        record.writeTime = head.writeTime;
        record.count = head.count;
        if (depth)
            m_path += '\\';
        m_path += record.name;
        record.path = &m_path;
        m_nRecords++;

        if (head.type == ARC_DIRECTORY) {
            visitor.Record(*this, record);
            ArchiveRecord dir = record;
            dir.name.clear();
            dir.path = nullptr;
            stack.push_back({head.count, parentLength, dir});
            continue;
        }
        if (head.type != ARC_FILE)
            return TypeDamage(visitor, record.offset, m_path, head.type, "a directory or a file");
        if (!m_reader.ReadDword(record.codeSize))
            return Damage(visitor, record.offset, m_path, "the archive ends inside this record");
        if (!VisitWithCode(visitor, record))
            return false;
        m_path.resize(parentLength);
    }
    return true;
}

bool CRecordWalker::WalkKeys(CRecordVisitor& visitor)
{
    DWORD count = 0;
    if (!ReadSectionCount(visitor, count, "registry"))
        return false;
    std::vector<KeyFrame> stack;
    // The section itself: top-level key records, each with its own root.
    stack.push_back({0, count, 0, 0});
    while (!stack.empty()) {
        KeyFrame& frame = stack.back();
        ArchiveRecord record;
        record.offset = m_reader.Tell();
        record.depth = stack.size() - 1;
        record.root = frame.root;
        if (frame.values) {
            frame.values--;
            ValueRecordHead head;
            if (!m_reader.ReadValueHead(head)) {
                std::string place = KeyPath(frame.root, m_path);
                if (head.nameLength && head.nameLength <= ARCHIVE_MAX_NAME)
                    place += ", value \"" + std::string(head.name, head.nameLength) + "\"";
                return HeadDamage(visitor, record.offset, place, head.nameLength);
            }
            record.type = head.type;
            record.name.assign(head.name, head.nameLength);
            record.path = &m_path;
            if (head.type != ARC_VALUE)
                return TypeDamage(visitor, record.offset, KeyPath(frame.root, m_path), head.type, "a value");
            record.valueType = head.valueType;
            record.count = head.plainSize;
            record.codeSize = head.codeSize;
            m_nRecords++;
            if (!VisitWithCode(visitor, record))
                return false;
            continue;
        }
        if (frame.subkeys == 0) {
            m_path.resize(frame.pathLength);
            stack.pop_back();
            continue;
        }
        frame.subkeys--;
        KeyRecordHead head;
        const std::string parentPlace = record.depth ? KeyPath(frame.root, m_path) : std::string();
        if (!m_reader.ReadKeyHead(head))
            return HeadDamage(visitor, record.offset, parentPlace, head.nameLength);
        if (head.type != ARC_KEY)
            return TypeDamage(visitor, record.offset, parentPlace, head.type, "a key");
        // Only a top-level record's root counts; below it the tree's root does.
        DWORD root = record.depth == 0 ? head.root : frame.root;
        size_t before = m_path.size();
        if (!m_path.empty() && m_path.back() != '\\')
            m_path += '\\';
        m_path.append(head.name, head.nameLength);
        record.type = ARC_KEY;
        record.name.assign(head.name, head.nameLength);
        record.path = &m_path;
        record.root = root;
        record.storedRoot = head.root;
        record.count = head.subkeys;
        record.values = head.values;
        m_nRecords++;
        visitor.Record(*this, record);
        stack.push_back({head.values, head.subkeys, root, before});
    }
    return true;
}
