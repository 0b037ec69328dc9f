#include "restore/ArchiveLister.h"

#include <cstdio>

namespace {

std::string DosStampText(WORD date, WORD time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", (date >> 9) + 1980u,
                  (date >> 5) & 15u, date & 31u, time >> 11, (time >> 5) & 63u, (time & 31u) * 2);
    return text;
}

std::string StampFields(const ArchiveHeader& header, const ArchiveRecord& record)
{
    std::string s;
    if (header.flags[1]) {
        char text[32];
        std::snprintf(text, sizeof text, "\tattr=0x%08X", (unsigned)record.attributes);
        s += text;
    }
    if (header.flags[2]) {
        s += "\taccess=" + DosStampText(record.accessDate, record.accessTime);
        s += "\twrite=" + DosStampText(record.writeDate, record.writeTime);
    }
    return s;
}

} // namespace

std::string CArchiveLister::Line(const CRecordWalker& walker, const ArchiveRecord& record)
{
    char text[160];
    const std::string path = Printable(record.Path());
    switch (record.type) {
    case ARC_DIRECTORY:
        std::snprintf(text, sizeof text, "\tcount=%u", (unsigned)record.count);
        return std::to_string(record.offset) + "\tdir\t" + path + text +
               StampFields(walker.Header(), record);
    case ARC_FILE:
        std::snprintf(text, sizeof text, "\tplain=%u\tcode=%u", (unsigned)record.count,
                      (unsigned)record.codeSize);
        return std::to_string(record.offset) + "\tfile\t" + path + text +
               StampFields(walker.Header(), record);
    case ARC_KEY:
        std::snprintf(text, sizeof text, "\tsubkeys=%u\tvalues=%u", (unsigned)record.count,
                      (unsigned)record.values);
        return std::to_string(record.offset) + "\tkey\t" + walker.KeyPath(record.root, path) + text;
    default:
        std::snprintf(text, sizeof text, "\ttype=%u\tplain=%u\tcode=%u", (unsigned)record.valueType,
                      (unsigned)record.count, (unsigned)record.codeSize);
        return std::to_string(record.offset) + "\tvalue\t" + walker.KeyPath(record.root, path) +
               "\tname=" + Printable(record.name) + text;
    }
}

void CArchiveLister::Record(CRecordWalker& walker, const ArchiveRecord& record)
{
    m_out.AddLine(Line(walker, record).c_str());
}
