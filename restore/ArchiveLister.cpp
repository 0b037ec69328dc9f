#include "restore/ArchiveLister.h"

#include "base/JobState.h"

#include <cstring>
#include <vector>

namespace {

std::string DosStampText(WORD date, WORD time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", (date >> 9) + 1980u,
                  (date >> 5) & 15u, date & 31u, time >> 11, (time >> 5) & 63u, (time & 31u) * 2);
    return text;
}

} // namespace

std::string CArchiveLister::StampFields(const FileRecordHead& head) const
{
    std::string s;
    char text[32];
    if (m_header.flags[1]) {
        std::snprintf(text, sizeof text, "\tattr=0x%08X", (unsigned)head.attributes);
        s += text;
    }
    if (m_header.flags[2]) {
        s += "\taccess=" + DosStampText(head.accessDate, head.accessTime);
        s += "\twrite=" + DosStampText(head.writeDate, head.writeTime);
    }
    return s;
}

bool CArchiveLister::ListFiles(DWORD count)
{
    std::string path;
    std::vector<DirFrame> stack;
    stack.push_back({count, 0});
    while (!stack.empty()) {
        DirFrame& frame = stack.back();
        if (frame.left == 0) {
            path.resize(frame.pathLength);
            stack.pop_back();
            continue;
        }
        frame.left--;
        unsigned long long offset = m_reader.Tell();
        FileRecordHead head;
        if (!m_reader.ReadFileHead(head, m_header.flags[1] != 0, m_header.flags[2] != 0))
            return false;
        std::string full = path + Printable(head.name, head.nameLength);
        if (head.type == ARC_DIRECTORY) {
            std::fprintf(m_out, "%llu\tdir\t%s\tcount=%u%s\n", offset, full.c_str(), (unsigned)head.count,
                        StampFields(head).c_str());
            size_t before = path.size();
            path = full + "\\";
            stack.push_back({head.count, before});
        } else if (head.type == ARC_FILE) {
            DWORD codeSize = 0;
            if (!m_reader.ReadDword(codeSize) || !m_reader.Skip(codeSize))
                return false;
            std::fprintf(m_out, "%llu\tfile\t%s\tplain=%u\tcode=%u%s\n", offset, full.c_str(),
                        (unsigned)head.count, (unsigned)codeSize, StampFields(head).c_str());
        } else {
            m_reader.m_bDamaged = true;
            return false;
        }
    }
    return true;
}

bool CArchiveLister::ListKeys(DWORD count)
{
    std::string path;
    std::vector<KeyFrame> stack;
    // The section itself: top-level key records, each with its own root.
    stack.push_back({0, count, 0, 0});
    while (!stack.empty()) {
        KeyFrame& frame = stack.back();
        unsigned long long offset = m_reader.Tell();
        std::string key = path.empty() ? "" : "\\" + path;
        if (frame.values) {
            frame.values--;
            ValueRecordHead head;
            if (!m_reader.ReadValueHead(head) || head.type != ARC_VALUE) {
                m_reader.m_bDamaged = true;
                return false;
            }
            if (!m_reader.Skip(head.codeSize))
                return false;
            std::fprintf(m_out, "%llu\tvalue\t%s%s\tname=%s\ttype=%u\tplain=%u\tcode=%u\n", offset,
                        RootKeyName(frame.root, m_header.osFamily), key.c_str(),
                        Printable(head.name, head.nameLength).c_str(), (unsigned)head.valueType,
                        (unsigned)head.plainSize, (unsigned)head.codeSize);
            continue;
        }
        if (frame.subkeys == 0) {
            path.resize(frame.pathLength);
            stack.pop_back();
            continue;
        }
        frame.subkeys--;
        KeyRecordHead head;
        if (!m_reader.ReadKeyHead(head) || head.type != ARC_KEY) {
            m_reader.m_bDamaged = true;
            return false;
        }
        DWORD root = stack.size() == 1 ? head.root : frame.root;
        size_t before = path.size();
        if (!path.empty() && path.back() != '\\')
            path += '\\';
        path += Printable(head.name, head.nameLength);
        std::fprintf(m_out, "%llu\tkey\t%s%s%s\tsubkeys=%u\tvalues=%u\n", offset,
                    RootKeyName(root, m_header.osFamily), path.empty() ? "" : "\\", path.c_str(),
                    (unsigned)head.subkeys, (unsigned)head.values);
        stack.push_back({head.values, head.subkeys, root, before});
    }
    return true;
}

