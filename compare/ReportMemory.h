// A report held in memory (built by tests and the benchmark, or fed by the fuzzer).
// The bytes are not copied: they must outlive the object.
#pragma once

#include "compare/ReportSource.h"

class CReportMemory : public CReportSource {
public:
    CReportMemory(const void* data, size_t size);

    uint64_t Size() const override { return m_nSize; }
    bool Seek(uint64_t position) override;
    bool Read(void* buffer, DWORD count) override;

private:
    const BYTE* m_pData;
    uint64_t m_nSize;
    uint64_t m_nPosition;
};
