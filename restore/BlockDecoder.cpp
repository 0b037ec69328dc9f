#include "restore/BlockDecoder.h"

#include <cstdio>
#include <new>

CBlockDecoder::CBlockDecoder() : m_pSums(nullptr), m_codec(new CCompress) {}

CBlockDecoder::Status CBlockDecoder::ReadCode(CRecordWalker& walker, const ArchiveRecord& record)
{
    m_damage.clear();
    if (record.count > (unsigned long long)CLZSS::MAX_EXPANSION * record.codeSize) {
        char what[96];
        std::snprintf(what, sizeof what, "a plain size of %u bytes cannot come from %u code bytes",
                      (unsigned)record.count, (unsigned)record.codeSize);
        m_damage = what;
        return DAMAGED;
    }
    return walker.ReadCode(m_code) ? DECODED : NO_MEMORY;
}

CBlockDecoder::Status CBlockDecoder::Check(const ArchiveRecord& record, DWORD produced, DWORD crc)
{
    char what[96];
    if (produced == record.count) {
        DWORD expected = 0;
        if (!m_pSums)
            return DECODED;
        if (!m_pSums->BlockCrc(record.offset, expected)) {
            m_damage = "the checksum file holds no sum for this block";
            return DAMAGED;
        }
        if (crc == expected)
            return DECODED;
        std::snprintf(what, sizeof what, "its plain bytes have CRC-32 %08X, the checksum file says %08X",
                      (unsigned)crc, (unsigned)expected);
        m_damage = what;
        return DAMAGED;
    }
    if (produced > record.count)
        std::snprintf(what, sizeof what, "its code gives more than the %u bytes its record states",
                      (unsigned)record.count);
    else
        std::snprintf(what, sizeof what, "its code gives %u bytes, its record states %u",
                      (unsigned)produced, (unsigned)record.count);
    m_damage = what;
    return DAMAGED;
}

CBlockDecoder::Status CBlockDecoder::ToMemory(CRecordWalker& walker, const ArchiveRecord& record)
{
    Status status = ReadCode(walker, record);
    if (status != DECODED)
        return status;
    try {
        if (m_plain.size() < record.count)
            m_plain.resize(record.count);
    } catch (const std::bad_alloc&) {
        return NO_MEMORY;
    }
    if (record.codeSize == 0)
        return Check(record, 0, 0); // the plain size is 0
    DWORD produced = 0;
    // Code that gives more than the plain size is stopped there, and says so.
    m_codec->ExpandToMemory(m_code.data(), m_plain.data(), record.codeSize, &produced, record.count);
    return Check(record, produced, m_codec->m_nPlainCrc);
}

CBlockDecoder::Status CBlockDecoder::ToFile(CRecordWalker& walker, const ArchiveRecord& record, HANDLE file)
{
    Status status = ReadCode(walker, record);
    if (status != DECODED)
        return status;
    static const BYTE kNoCode[1] = {0};
    m_codec->ExpandToHandle(record.codeSize ? m_code.data() : kNoCode, record.codeSize, file, record.count);
    status = Check(record, m_codec->m_nOut, m_codec->m_nPlainCrc);
    if (status == DECODED && m_codec->m_bWriteError)
        return WRITE_FAILED;
    return status;
}
