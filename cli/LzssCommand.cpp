#include "cli/LzssCommand.h"

#include "compress/Compress.h"
#include "compress/LZSS.h"
#include "cli/BenchCorpus.h"
#include "cli/LzssBaseline.h"
#include "cli/Zmcli.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// The codec with its coding loops run over memory, as the stream layer runs them.
class CMemoryCoder : public CLZSS {
public:
    explicit CMemoryCoder(EncodeMode mode) { m_encodeMode = mode; }
    Bytes Encode(const Bytes& in)
    {
        Io io{in.data(), in.data() + in.size(), {}};
        io.out.reserve(in.size() / 2 + 64);
        EncodeWith(io);
        return std::move(io.out);
    }

private:
    struct Io {
        const unsigned char* p;
        const unsigned char* end;
        Bytes out;
        int Get() { return p < end ? *p++ : -1; }
        void Put(int c) { out.push_back((unsigned char)c); }
    };
};

bool ReadWholeFile(const char* path, Bytes& data)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD size = GetFileSize(h, &high);
    bool ok = size != INVALID_FILE_SIZE && high == 0;
    if (ok) {
        data.resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(h, data.data(), size, &got, nullptr) && got == size);
    }
    CloseHandle(h);
    return ok;
}

// The code decodes to data with the plain reference decoder and with the
// restore side's stream decoder.
bool DecodesTo(CCompress& stream, const Bytes& code, const Bytes& data)
{
    CLzssBaseline reference(code.data(), code.size());
    reference.Decode();
    Bytes plain(data.size() + 1, 0);
    DWORD n = 0;
    stream.ExpandToMemory(code.data(), plain.data(), (DWORD)code.size(), &n, (DWORD)plain.size());
    plain.resize(n < plain.size() ? n : plain.size());
    return reference.m_out == data && plain == data;
}

bool BenchOne(const std::string& name, const Bytes& data)
{
    CMemoryCoder* coder = new CMemoryCoder(CLZSS::ENCODE_GREEDY);
    CMemoryCoder* optimal = new CMemoryCoder(CLZSS::ENCODE_OPTIMAL);
    // Decoding as the restore side runs it: a stream expanding into memory.
    CCompress* stream = new CCompress;
    Bytes code, plain, baseCode, basePlain, bestCode;
    std::function<void()> runs[5] = {
        [&] { code = coder->Encode(data); },
        [&] {
            CLzssBaseline b(data.data(), data.size());
            b.Encode();
            baseCode.swap(b.m_out);
        },
        [&] {
            plain.assign(data.size(), 0);
            DWORD n = 0;
            stream->ExpandToMemory(code.data(), plain.data(), (DWORD)code.size(), &n,
                                   (DWORD)plain.size());
            plain.resize(n < plain.size() ? n : plain.size());
        },
        [&] {
            CLzssBaseline b(baseCode.data(), baseCode.size());
            b.Decode();
            basePlain.swap(b.m_out);
        },
        [&] { bestCode = optimal->Encode(data); },
    };
    // The runs take turns, and each keeps its fastest time: the figures least
    // disturbed by whatever else the machine is doing, and disturbed alike.
    double best[5] = {1e30, 1e30, 1e30, 1e30, 1e30};
    for (int round = 0; round < 9; round++)
        for (int k = 0; k < 5; k++) {
            double t = Seconds(runs[k]);
            if (t < best[k])
                best[k] = t;
        }
    bool same = code == baseCode && plain == data && basePlain == data;
    bool bestOk = DecodesTo(*stream, bestCode, data) && bestCode.size() <= code.size();
    delete coder;
    delete optimal;
    delete stream;
    double mb = data.size() / 1e6;
    std::printf("%s: %zu bytes, code %zu bytes (%.1f%%)\n", name.c_str(), data.size(), code.size(),
                data.empty() ? 0.0 : 100.0 * code.size() / data.size());
    std::printf("  encode: %8.2f MB/s, baseline %8.2f MB/s, ratio %.2f\n", mb / best[0],
                mb / best[1], best[1] / best[0]);
    std::printf("  decode: %8.2f MB/s, baseline %8.2f MB/s, ratio %.2f\n", mb / best[2],
                mb / best[3], best[3] / best[2]);
    std::printf("  code identical to baseline: %s\n", same ? "yes" : "NO");
    std::printf("  optimal (--best): code %zu bytes (%.1f%%), %.2f%% smaller; encode %8.2f MB/s, "
                "%.2f of the greedy coder's time\n",
                bestCode.size(), data.empty() ? 0.0 : 100.0 * bestCode.size() / data.size(),
                code.empty() ? 0.0 : 100.0 * ((double)code.size() - (double)bestCode.size()) / code.size(),
                mb / best[4], best[4] / best[0]);
    std::printf("  optimal code decodes (reference and stream), never larger: %s\n", bestOk ? "yes" : "NO");
    return same && bestOk;
}

int Usage() { return ZmcliUsage("lzss"); }

// The archive writer's path: the file read in pieces, coded into a framed block.
int EncodeCommand(const char* in, const char* out, bool best)
{
    HANDLE source = CreateFileA(in, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "zmcli: cannot read %s\n", in);
        return 1;
    }
    CloseHandle(source);
    HANDLE h = CreateFileA(out, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "zmcli: cannot write %s\n", out);
        return 1;
    }
    CCompress* stream = new CCompress;
    if (best)
        stream->m_encodeMode = CLZSS::ENCODE_OPTIMAL;
    stream->CompressFile(in, h);
    bool ok = !stream->m_bWriteError && !stream->m_bShortRead;
    delete stream;
    CloseHandle(h);
    if (!ok) {
        DeleteFileA(out);
        std::fprintf(stderr, "zmcli: cannot code %s into %s\n", in, out);
        return 1;
    }
    return 0;
}

// The restore engine's path: a framed block expanded into a file through the
// stream's output buffer.
int DecodeCommand(const char* in, const char* out)
{
    Bytes block;
    if (!ReadWholeFile(in, block)) {
        std::fprintf(stderr, "zmcli: cannot read %s\n", in);
        return 1;
    }
    DWORD plainSize = 0, codeSize = 0;
    if (block.size() < 8 ||
        (std::memcpy(&plainSize, block.data(), 4), std::memcpy(&codeSize, block.data() + 4, 4),
         codeSize != block.size() - 8)) {
        std::fprintf(stderr, "zmcli: %s is not one block (plain size, code size, code)\n", in);
        return 1;
    }
    static const BYTE kNoCode[1] = {0};
    CCompress* stream = new CCompress;
    stream->ExpandToFile(codeSize ? block.data() + 8 : kNoCode, codeSize, out, plainSize);
    bool written = !stream->m_bWriteError;
    bool whole = stream->m_nOut == plainSize;
    delete stream;
    if (!written) {
        DeleteFileA(out);
        std::fprintf(stderr, "zmcli: cannot write %s\n", out);
        return 1;
    }
    if (!whole) {
        DeleteFileA(out);
        std::fprintf(stderr, "zmcli: the code of %s does not decode to its plain size\n", in);
        return 1;
    }
    return 0;
}

} // namespace

int LzssCommand(int argc, char** argv)
{
    if (argc < 1)
        return Usage();
    std::string verb = argv[0];
    if (verb == "e" || verb == "d") {
        const bool best = verb == "e" && argc == 4 && std::strcmp(argv[1], "--best") == 0;
        if (argc != (best ? 4 : 3))
            return Usage();
        char** files = argv + (best ? 2 : 1);
        return verb == "e" ? EncodeCommand(files[0], files[1], best) : DecodeCommand(files[0], files[1]);
    }
    if (verb == "bench") {
        bool same = true;
        if (argc == 1) {
            same &= BenchOne("text-like corpus", TextCorpus(4u << 20));
            same &= BenchOne("binary corpus", BinaryCorpus(4u << 20));
        }
        for (int i = 1; i < argc; i++) {
            Bytes data;
            if (!ReadWholeFile(argv[i], data)) {
                std::fprintf(stderr, "zmcli: cannot read %s\n", argv[i]);
                return 1;
            }
            same &= BenchOne(argv[i], data);
        }
        return same ? 0 : 1;
    }
    return Usage();
}
