// Random-access byte source of one report: the comparator reads a report's header
// and section tables sequentially and seeks to each record block it needs.
#pragma once

#include "framework/Platform.h"

#include <cstdint>

class CReportSource {
public:
    virtual ~CReportSource() {}

    // Size of the whole report in bytes.
    virtual uint64_t Size() const = 0;
    // Moves the read position. A position past the end is accepted; reads there fail.
    virtual bool Seek(uint64_t position) = 0;
    // Reads exactly count bytes at the read position and moves past them; false on a
    // short read (the position is then left undefined).
    virtual bool Read(void* buffer, DWORD count) = 0;
};
