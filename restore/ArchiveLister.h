// Lists the records of an archive, one line each: the record's offset, its type,
// its full path, then its counts or sizes and, where the archive stores them,
// attributes and times. Lines go to a job output, in code page 1251.
#pragma once

#include "base/JobOutput.h"
#include "restore/RecordWalker.h"

#include <string>

class CArchiveLister : public CRecordVisitor {
public:
    explicit CArchiveLister(CJobOutput& out) : m_out(out) {}

    void Record(CRecordWalker& walker, const ArchiveRecord& record) override;

    // The line of one record, for the lister and for whoever lists as it goes.
    static std::string Line(const CRecordWalker& walker, const ArchiveRecord& record);

private:
    CJobOutput& m_out;
};
