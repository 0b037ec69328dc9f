// Fuzz target: arbitrary code through the raw decoder and through ExpandToMemory
// with a destination sized by a declared plain size taken from the input; and
// the input as plain bytes, as is and narrowed to a two-letter alphabet (long
// common prefixes of every length), through the encoder, whose code must equal
// the plain reference coder's and decode back, and through the optimal coder,
// whose code must decode back and be no larger.
#include "compress/Compress.h"
#include "cli/LzssBaseline.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
// The codec over a byte range, its output collected.
class CFuzzCoder : public CLZSS {
public:
    const uint8_t* p = nullptr;
    const uint8_t* end = nullptr;
    std::vector<BYTE> out;
    void Start(const uint8_t* data, size_t size)
    {
        p = data;
        end = data + size;
        out.clear();
    }
    int GetByte() override { return p < end ? *p++ : -1; }
    void PutByte(int c) override { out.push_back((BYTE)c); }
};

void CheckEncoding(const uint8_t* data, size_t size)
{
    static CFuzzCoder* encoder = new CFuzzCoder;
    encoder->Start(data, size);
    encoder->Encode();
    CLzssBaseline base(data, size);
    base.Encode();
    if (base.m_out != encoder->out)
        __builtin_trap();
    CLzssBaseline back(encoder->out.data(), encoder->out.size());
    back.Decode();
    if (back.m_out.size() != size || (size && std::memcmp(back.m_out.data(), data, size) != 0))
        __builtin_trap();

    // The optimal coder: never larger, and it decodes back too.
    static CFuzzCoder* optimal = [] {
        CFuzzCoder* c = new CFuzzCoder;
        c->m_encodeMode = CLZSS::ENCODE_OPTIMAL;
        return c;
    }();
    optimal->Start(data, size);
    optimal->Encode();
    if (optimal->out.size() > encoder->out.size())
        __builtin_trap();
    CLzssBaseline best(optimal->out.data(), optimal->out.size());
    best.Decode();
    if (best.m_out.size() != size || (size && std::memcmp(best.m_out.data(), data, size) != 0))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckEncoding(data, size);
    std::vector<uint8_t> narrow(data, data + size);
    for (uint8_t& b : narrow)
        b = (uint8_t)('a' + (b & 1));
    CheckEncoding(narrow.data(), narrow.size());

    static CFuzzCoder* coder = new CFuzzCoder;
    coder->Start(data, size);
    coder->Decode();
    if (coder->out.size() > size * 9 + 9)
        __builtin_trap();

    if (size < 2)
        return 0;
    // The stream's decoding into a destination sized by a declared plain size
    // taken from the input: the codec's bytes up to that size, nothing beyond it.
    DWORD declared = (DWORD)(data[0] | (data[1] << 8)) % 4096;
    static CCompress* stream = new CCompress;
    static CFuzzCoder* collect = new CFuzzCoder;
    collect->Start(data + 2, size - 2);
    collect->Decode();
    std::vector<BYTE> dest(declared + 16, 0xAB);
    DWORD n = 0;
    stream->ExpandToMemory(data + 2, dest.data(), (DWORD)(size - 2), &n, declared);
    size_t expectCount = collect->out.size() > declared ? declared + 1 : collect->out.size();
    size_t kept = collect->out.size() < declared ? collect->out.size() : declared;
    if (n != expectCount || std::memcmp(dest.data(), collect->out.data(), kept) != 0)
        __builtin_trap();
    for (size_t i = declared; i < dest.size(); i++)
        if (dest[i] != 0xAB)
            __builtin_trap();
    return 0;
}
