// Fuzz target: arbitrary code through the raw decoder and through ExpandToMemory
// with a destination sized by a declared plain size taken from the input; and
// the input as plain bytes, as is and narrowed to a two-letter alphabet (long
// common prefixes of every length), through the encoder, whose code must equal
// the plain reference coder's and decode back.
#include "compress/Compress.h"
#include "compress/LzssBaseline.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
class CFuzzCoder : public CLZSS {
public:
    const uint8_t* p = nullptr;
    const uint8_t* end = nullptr;
    size_t produced = 0;
    int GetByte() override { return p < end ? *p++ : -1; }
    void PutByte(int) override { produced++; }
};

class CFuzzEncoder : public CLZSS {
public:
    const uint8_t* p = nullptr;
    const uint8_t* end = nullptr;
    std::vector<BYTE> out;
    int GetByte() override { return p < end ? *p++ : -1; }
    void PutByte(int c) override { out.push_back((BYTE)c); }
};

void CheckEncoding(const uint8_t* data, size_t size)
{
    static CFuzzEncoder* encoder = new CFuzzEncoder;
    encoder->p = data;
    encoder->end = data + size;
    encoder->out.clear();
    encoder->Encode();
    CLzssBaseline base(data, size);
    base.Encode();
    if (base.m_out != encoder->out)
        __builtin_trap();
    CLzssBaseline back(encoder->out.data(), encoder->out.size());
    back.Decode();
    if (back.m_out.size() != size || (size && std::memcmp(back.m_out.data(), data, size) != 0))
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
    coder->p = data;
    coder->end = data + size;
    coder->produced = 0;
    coder->Decode();
    if (coder->produced > size * 9 + 9)
        __builtin_trap();

    if (size < 2)
        return 0;
    // The stream's decoding into a destination sized by a declared plain size
    // taken from the input: the codec's bytes up to that size, nothing beyond it.
    DWORD declared = (DWORD)(data[0] | (data[1] << 8)) % 4096;
    static CCompress* stream = new CCompress;
    struct Collect : CLZSS {
        const uint8_t* p;
        const uint8_t* end;
        std::vector<BYTE> out;
        int GetByte() override { return p < end ? *p++ : -1; }
        void PutByte(int c) override { out.push_back((BYTE)c); }
    };
    static Collect* collect = new Collect;
    collect->p = data + 2;
    collect->end = data + size;
    collect->out.clear();
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
