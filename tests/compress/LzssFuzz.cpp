// Fuzz target: arbitrary code through the raw decoder and through ExpandToMemory
// with a destination sized by a declared plain size taken from the input.
#include "compress/Compress.h"

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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzCoder* coder = new CFuzzCoder;
    coder->p = data;
    coder->end = data + size;
    coder->produced = 0;
    coder->Decode();
    if (coder->produced > size * 9 + 9)
        __builtin_trap();

    if (size < 2)
        return 0;
    DWORD declared = (DWORD)(data[0] | (data[1] << 8)) % 4096;
    static CCompress* stream = new CCompress;
    std::vector<BYTE> dest(declared);
    DWORD n = 0;
    stream->ExpandToMemory(data + 2, dest.data(), (DWORD)(size - 2), &n, declared);
    // Whatever was produced within the destination is the raw decoding's prefix.
    if (n <= declared) {
        std::vector<BYTE> check(n + 1);
        DWORD m = 0;
        stream->ExpandToMemory(data + 2, check.data(), (DWORD)(size - 2), &m, n + 1);
        if (m != n || std::memcmp(check.data(), dest.data(), n) != 0)
            __builtin_trap();
    }
    return 0;
}
