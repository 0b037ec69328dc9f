#include "compress/Compress.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

DWORD U32(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | ((DWORD)b[at + 3] << 24);
}

HANDLE CreateArchive(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Compresses the blocks with one stream object into one file, then reads it back.
Bytes CompressBlocks(const CScratchDir& dir, const std::vector<Bytes>& blocks)
{
    std::string path = dir / "blocks.bin";
    HANDLE h = CreateArchive(path);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CCompress* c = new CCompress;
    for (const Bytes& b : blocks)
        c->CompressBlock(h, b.data(), (DWORD)b.size());
    delete c;
    CloseHandle(h);
    return ReadFileBytes(path);
}

// Bytes in which no three bytes repeat within a ring's reach (and with no space or
// zero, which the ring starts with), so the whole code is literals.
Bytes NoRepeats(size_t size)
{
    std::vector<int> last(1 << 24, -100000);
    Bytes out;
    out.reserve(size);
    unsigned x = 2463534242u;
    while (out.size() < size) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        unsigned char b = (unsigned char)(1 + x % 255);
        if (b == ' ')
            continue;
        int n = (int)out.size();
        if (n >= 2) {
            int key = (out[n - 2] << 16) | (out[n - 1] << 8) | b;
            if (n - last[key] < 5000)
                continue;
            last[key] = n;
        }
        out.push_back(b);
    }
    return out;
}

} // namespace

TEST(Compress, FramesOfBlocks)
{
    CScratchDir dir;
    Bytes text = TextBytes(10000, 1);
    Bytes file = CompressBlocks(dir, {{}, MakeBytes({0x41}), text});
    ASSERT_GE(file.size(), 8u + 10u);
    EXPECT_EQ(Hex(Bytes(file.begin(), file.begin() + 18)),
              "00 00 00 00 00 00 00 00 01 00 00 00 02 00 00 00 01 41 ");
    EXPECT_EQ(U32(file, 18), 10000u);
    DWORD codeSize = U32(file, 22);
    EXPECT_EQ(file.size(), 26u + codeSize);

    CCompress* c = new CCompress;
    Bytes back(10000);
    DWORD n = 0;
    c->ExpandToMemory(file.data() + 26, back.data(), codeSize, &n, 10000);
    EXPECT_EQ(n, 10000u);
    EXPECT_EQ(back, text);
    delete c;
}

TEST(Compress, FileBlocksAndUnreadableFiles)
{
    CScratchDir dir;
    Bytes data = RandomBytes(70000, 9);
    ASSERT_TRUE(WriteFileBytes(dir / "data.bin", data));
    ASSERT_TRUE(WriteFileBytes(dir / "empty.bin", {}));

    std::string arc = dir / "arc.bin";
    HANDLE h = CreateArchive(arc);
    CCompress* c = new CCompress;
    c->CompressFile((dir / "data.bin").c_str(), h);
    EXPECT_FALSE(c->m_bWriteError);
    c->CompressFile((dir / "empty.bin").c_str(), h);
    c->CompressFile((dir / "missing.bin").c_str(), h);
    c->CompressFile(dir.Path().c_str(), h); // a directory cannot be read as a file
    CloseHandle(h);

    Bytes file = ReadFileBytes(arc);
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(U32(file, 0), 70000u);
    DWORD codeSize = U32(file, 4);
    ASSERT_EQ(file.size(), 8u + codeSize + 24u);
    EXPECT_EQ(Hex(Bytes(file.end() - 24, file.end())),
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ");

    c->ExpandToFile(file.data() + 8, codeSize, (dir / "out.bin").c_str(), 70000);
    EXPECT_FALSE(c->m_bWriteError);
    EXPECT_EQ(c->m_nOut, 70000u);
    EXPECT_EQ(ReadFileBytes(dir / "out.bin"), data);

    // The same code as the block of the same bytes.
    Bytes viaBlock = CompressBlocks(dir, {data});
    EXPECT_EQ(viaBlock, Bytes(file.begin(), file.begin() + 8 + codeSize));
    delete c;
}

TEST(Compress, CodeOfExactlyFourMebibytesAndLargerBlocks)
{
    // 3,728,270 literals give 466,034 flag bytes: 4,194,304 code bytes in all.
    Bytes data = NoRepeats(3728270);
    ASSERT_EQ(data.size(), 3728270u);
    CScratchDir dir;
    Bytes file = CompressBlocks(dir, {data});
    ASSERT_EQ(U32(file, 4), 4194304u);
    ASSERT_EQ(file.size(), 8u + 4194304u);
    EXPECT_EQ(file[8], 0xFF);
    EXPECT_EQ(file[file.size() - 1], data.back());

    CCompress* c = new CCompress;
    c->ExpandToFile(file.data() + 8, 4194304u, (dir / "big.out").c_str(), (DWORD)data.size());
    EXPECT_EQ(ReadFileBytes(dir / "big.out"), data);

    // A plain block over 4 MiB with a code over 4 MiB, written in pieces.
    Bytes big = RandomBytes(5u << 20, 77);
    file = CompressBlocks(dir, {big});
    DWORD codeSize = U32(file, 4);
    EXPECT_GT(codeSize, 4194304u);
    ASSERT_EQ(file.size(), 8u + codeSize);
    Bytes back(big.size());
    DWORD n = 0;
    c->ExpandToMemory(file.data() + 8, back.data(), codeSize, &n, (DWORD)back.size());
    EXPECT_EQ(n, big.size());
    EXPECT_TRUE(back == big);

    // Expanding more than one output buffer into a file: matches reach back
    // across the point where the buffer was written out.
    Bytes text = TextBytes(6u << 20, 12);
    file = CompressBlocks(dir, {text});
    c->ExpandToFile(file.data() + 8, U32(file, 4), (dir / "text.out").c_str(), (DWORD)text.size());
    EXPECT_EQ(c->m_nOut, text.size());
    EXPECT_TRUE(ReadFileBytes(dir / "text.out") == text);
    delete c;
}

TEST(Compress, LargeFilesAreReadInPiecesWithTheSameCode)
{
    CScratchDir dir;
    Bytes data = TextBytes(300000, 21);
    ASSERT_TRUE(WriteFileBytes(dir / "large.bin", data));
    Bytes whole = CompressBlocks(dir, {data});
    DWORD saved = CCompress::s_nMaxPiece;
    CCompress::s_nMaxPiece = 4096 + 17;
    std::string arc = dir / "pieces.bin";
    HANDLE h = CreateArchive(arc);
    CCompress* c = new CCompress;
    c->CompressFile((dir / "large.bin").c_str(), h);
    CloseHandle(h);
    CCompress::s_nMaxPiece = saved;
    EXPECT_FALSE(c->m_bShortRead);
    delete c;
    EXPECT_TRUE(ReadFileBytes(arc) == whole);
}

TEST(Compress, ExpansionNeverWritesPastTheDeclaredSize)
{
    CScratchDir dir;
    Bytes text = TextBytes(5000, 4);
    Bytes file = CompressBlocks(dir, {text});
    DWORD codeSize = U32(file, 4);
    const Bytes code(file.begin() + 8, file.end());

    CCompress* c = new CCompress;
    Bytes dest(1000 + 16, 0xCC);
    DWORD n = 0;
    c->ExpandToMemory(code.data(), dest.data(), codeSize, &n, 1000);
    EXPECT_GT(n, 1000u) << "the count tells the caller that the code is too long";
    EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 1000), Bytes(text.begin(), text.begin() + 1000));
    EXPECT_EQ(Bytes(dest.begin() + 1000, dest.end()), Bytes(16, 0xCC));

    c->ExpandToFile(code.data(), codeSize, (dir / "short.out").c_str(), 1234);
    EXPECT_GT(c->m_nOut, 1234u);
    EXPECT_EQ(ReadFileBytes(dir / "short.out"), Bytes(text.begin(), text.begin() + 1234));

    // Truncated code: a shorter result and the shorter count.
    c->ExpandToMemory(code.data(), dest.data(), codeSize / 2, &n, 1000);
    c->ExpandToFile(code.data(), codeSize / 2, (dir / "cut.out").c_str(), 5000);
    Bytes cut = ReadFileBytes(dir / "cut.out");
    EXPECT_LT(cut.size(), 5000u);
    EXPECT_EQ(cut, Bytes(text.begin(), text.begin() + cut.size()));
    delete c;
}

TEST(Compress, CancelledOperationsDoNothingAndLeaveNoFile)
{
    CScratchDir dir;
    Bytes text = TextBytes(20000, 5);
    Bytes file = CompressBlocks(dir, {text});
    CCompress* c = new CCompress;
    c->m_bCancel = 1;
    std::string arc = dir / "cancelled.bin";
    HANDLE h = CreateArchive(arc);
    c->CompressBlock(h, text.data(), (DWORD)text.size());
    c->CompressFile(arc.c_str(), h);
    CloseHandle(h);
    EXPECT_TRUE(ReadFileBytes(arc).empty());

    c->ExpandToFile(file.data() + 8, U32(file, 4), (dir / "never.out").c_str(), 20000);
    EXPECT_FALSE(FileExistsAt(dir / "never.out"));
    DWORD n = 77;
    Bytes dest(20000);
    c->ExpandToMemory(file.data() + 8, dest.data(), U32(file, 4), &n, 20000);
    EXPECT_EQ(n, 77u) << "a cancelled call leaves the count alone";
    delete c;
}

TEST(Compress, CancelDuringExpansionDeletesThePartlyWrittenFile)
{
    CScratchDir dir;
    Bytes text = TextBytes(200000, 6);
    Bytes file = CompressBlocks(dir, {text});
    // The cancel comes from another thread, as from the progress page.
    CCompress* c = new CCompress;
    struct Canceller {
        CCompress* c;
        static DWORD WINAPI Main(LPVOID p)
        {
            CCompress* s = static_cast<Canceller*>(p)->c;
            while (s->m_nOut < 1000)
                Sleep(0);
            s->m_bCancel = 1;
            return 0;
        }
    } canceller{c};
    HANDLE t = CreateThread(nullptr, 0, &Canceller::Main, &canceller, 0, nullptr);
    // Expand repeatedly until the canceller has struck during one of them.
    for (int i = 0; i < 1000 && !c->m_bCancel; i++) {
        DeleteFileA((dir / "partial.out").c_str());
        c->ExpandToFile(file.data() + 8, U32(file, 4), (dir / "partial.out").c_str(), 200000);
    }
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_TRUE(c->m_bCancel);
    EXPECT_FALSE(FileExistsAt(dir / "partial.out"));
    delete c;
}

namespace {
// The codec's own byte-at-a-time decoding, for comparison with the stream's.
class CReferenceDecoder : public CLZSS {
public:
    Bytes Decode(const Bytes& code)
    {
        in = &code;
        pos = 0;
        out.clear();
        CLZSS::Decode();
        return out;
    }
    int GetByte() override { return pos < in->size() ? (*in)[pos++] : -1; }
    void PutByte(int c) override { out.push_back((unsigned char)c); }

private:
    const Bytes* in = nullptr;
    size_t pos = 0;
    Bytes out;
};
} // namespace

TEST(Compress, StreamDecodingEqualsTheCodecOnAnyCode)
{
    // Valid codes of many shapes, and damaged ones (random bytes, cut and
    // flipped codes): the stream gives the codec's bytes, into memory and into a
    // file, whatever the destination size.
    CScratchDir dir;
    CReferenceDecoder ref;
    CCompress* c = new CCompress;
    std::vector<Bytes> codes;
    for (unsigned seed = 1; seed <= 40; seed++) {
        size_t size = (seed * 7919) % 30000 + seed;
        Bytes plain = seed % 3 ? TextBytes(size, seed) : RandomBytes(size, seed);
        Bytes file = CompressBlocks(dir, {plain});
        Bytes code(file.begin() + 8, file.end());
        codes.push_back(code);
        Bytes flipped = code;
        for (size_t i = seed; i < flipped.size(); i += 97 + seed)
            flipped[i] ^= (unsigned char)(1 << (i % 8));
        codes.push_back(flipped);
        codes.push_back(Bytes(code.begin(), code.begin() + code.size() * seed / 41));
        codes.push_back(RandomBytes(seed * 300, seed + 1000));
    }
    {
        // Every flag byte after a full history, its matches from the shortest
        // distances (overlapping copies), from a whole ring back and from
        // anywhere, with every length.
        Bytes code;
        unsigned produced = 0, seed = 7;
        for (int group = 0; group < 520; group++) {
            code.push_back(0xFF);
            for (int item = 0; item < 8; item++, produced++)
                code.push_back((unsigned char)(produced * 37 + produced / 256));
        }
        static const unsigned distances[] = {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 18, 24, 4095, 4096, 0};
        unsigned pick = 0;
        for (unsigned round = 0; round < 2; round++)
            for (unsigned flags = 0; flags < 256; flags++) {
                code.push_back((unsigned char)flags);
                for (int item = 0; item < 8; item++) {
                    seed = seed * 1103515245u + 12345u;
                    if (flags >> item & 1) {
                        code.push_back((unsigned char)(seed >> 16));
                        produced++;
                        continue;
                    }
                    unsigned dist = distances[pick++ % (sizeof distances / sizeof *distances)];
                    unsigned here = (CLZSS::START + produced) & (CLZSS::N - 1);
                    unsigned pos = dist ? (here - dist) & (CLZSS::N - 1) : (seed >> 8) & (CLZSS::N - 1);
                    unsigned len = (seed >> 20) & 0x0F;
                    code.push_back((unsigned char)pos);
                    code.push_back((unsigned char)(((pos >> 4) & 0xF0) | len));
                    produced += len + 3;
                }
            }
        codes.push_back(code);
    }
    for (size_t k = 0; k < codes.size(); k++) {
        const Bytes& code = codes[k];
        Bytes expect = ref.Decode(code);
        for (DWORD cap : {(DWORD)expect.size(), (DWORD)expect.size() / 2, (DWORD)expect.size() + 5}) {
            Bytes dest(cap + 32, 0xAB);
            DWORD n = 0;
            c->ExpandToMemory(code.data(), dest.data(), (DWORD)code.size(), &n, cap);
            size_t kept = expect.size() < cap ? expect.size() : cap;
            ASSERT_EQ(n, expect.size() > cap ? cap + 1 : expect.size()) << "code " << k;
            ASSERT_TRUE(std::equal(expect.begin(), expect.begin() + kept, dest.begin())) << "code " << k;
            ASSERT_EQ(Bytes(dest.begin() + cap, dest.end()), Bytes(32, 0xAB)) << "code " << k;

            c->ExpandToFile(code.data(), (DWORD)code.size(), (dir / "d.out").c_str(), cap);
            ASSERT_EQ(ReadFileBytes(dir / "d.out"), Bytes(expect.begin(), expect.begin() + kept))
                << "code " << k;
        }
    }
    delete c;
}

#ifndef _WIN32
#include <unistd.h>
#endif

TEST(Compress, BlocksPastFourGibibytesArePatchedInPlace)
{
    // A sparse archive already 5 GiB long: the block is appended at its end and
    // its code size patched there, not at the position's low 32 bits.
    CScratchDir dir;
    std::string arc = dir / "huge.bin";
    HANDLE h = CreateArchive(arc);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const unsigned long long start = 5ull << 30;
#ifdef _WIN32
    LONG high = (LONG)(start >> 32);
    SetFilePointer(h, (LONG)(DWORD)start, &high, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
#else
    ASSERT_EQ(truncate(arc.c_str(), (off_t)start), 0);
    LONG atEnd = 0;
    SetFilePointer(h, 0, &atEnd, FILE_END);
#endif
    Bytes text = TextBytes(3000, 8);
    CCompress* c = new CCompress;
    c->CompressBlock(h, text.data(), (DWORD)text.size());
    EXPECT_FALSE(c->m_bWriteError);
    DWORD codeSize = c->m_nOut;
    delete c;

    LONG high2 = (LONG)(start >> 32);
    SetFilePointer(h, (LONG)(DWORD)start, &high2, FILE_BEGIN);
    Bytes frame(8 + codeSize);
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(h, frame.data(), (DWORD)frame.size(), &got, nullptr));
    ASSERT_EQ(got, frame.size());
    EXPECT_EQ(U32(frame, 0), 3000u);
    EXPECT_EQ(U32(frame, 4), codeSize);
    // Nothing was written at the low 32 bits of the position.
    LONG none = 0;
    SetFilePointer(h, (LONG)(DWORD)start, &none, FILE_BEGIN);
    Bytes low(8);
    ReadFile(h, low.data(), 8, &got, nullptr);
    EXPECT_EQ(low, Bytes(8, 0));
    CloseHandle(h);
}
