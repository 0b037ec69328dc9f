// The checksum file beside an archive, with the real writer, verifier and
// restore: the file holds what its layout says (read here byte by byte, with a
// CRC-32 computed bit by bit), every single-bit flip of the archive is caught by
// verify, a flip inside a block names that block's record, a restore of a
// flipped archive keeps the old file that block would replace, and an archive
// copied without its checksum file restores as before.
#include "base/ArchiveSums.h"
#include "base/Crc32.h"
#include "cli/ArchiveCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/VerifyCommand.h"
#include "tests/backup/ArchiveWalker.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

uint32_t BitwiseCrc32(const Bytes& data)
{
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char b : data) {
        crc ^= b;
        for (int i = 0; i < 8; i++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

uint64_t Le(const Bytes& d, size_t at, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = (v << 8) | d.at(at + i);
    return v;
}

} // namespace

TEST(ArchiveSums, Crc32IsTheOneZipComputes)
{
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(0, check.data(), check.size()), 0xCBF43926u);
    const Bytes text = TextBytes(100000, 2);
    uint32_t pieces = Crc32(Crc32(0, text.data(), 333), text.data() + 333, text.size() - 333);
    EXPECT_EQ(pieces, BitwiseCrc32(text));
}

TEST(ArchiveSums, EveryFlipIsCaughtAndNoFlippedBlockReplacesAFile)
{
    CScratchDir dir;
    const std::string src = dir / "tree\\";
    CreateDirectoryA(src.c_str(), nullptr);
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"a.txt", TextBytes(30000, 1)}, {"b.bin", RandomBytes(4000, 2)}, {"empty.txt", Bytes()}};
    for (const auto& f : files)
        ASSERT_TRUE(WriteFileBytes(src + f.first, f.second));
    std::string out;
    ASSERT_EQ(RunCommand(ArchiveCommand, dir, {dir / "a.zma", "-a", "-t", src}, &out), 0) << out;
    const Bytes archive = ReadFileBytes(dir / "a.zma");
    const Bytes sums = ReadFileBytes(dir / "a.zma.sum");

    // The file, as its layout gives it: the archive's size and CRC-32, then one
    // entry per block in archive order with the plain bytes' CRC-32.
    const WalkedArchive walked = WalkArchive(archive);
    ASSERT_TRUE(walked.ok) << walked.error;
    std::vector<const WalkedRecord*> blocks;
    for (const WalkedRecord* r : walked.AllRecords())
        if (r->type == 2 || r->type == 4)
            blocks.push_back(r);
    ASSERT_EQ(blocks.size(), files.size());
    ASSERT_EQ(sums.size(), 24 + 12 * blocks.size() + 4);
    EXPECT_EQ(std::string(sums.begin(), sums.begin() + 8), "ZMSFv1.0");
    EXPECT_EQ(Le(sums, 8, 8), archive.size());
    EXPECT_EQ(Le(sums, 16, 4), BitwiseCrc32(archive));
    EXPECT_EQ(Le(sums, 20, 4), blocks.size());
    for (size_t i = 0; i < blocks.size(); i++) {
        SCOPED_TRACE(blocks[i]->path);
        EXPECT_EQ(Le(sums, 24 + 12 * i, 8), blocks[i]->offset);
        const Bytes* plain = nullptr;
        for (const auto& f : files)
            if (blocks[i]->path == src + f.first)
                plain = &f.second;
        ASSERT_TRUE(plain);
        EXPECT_EQ(Le(sums, 24 + 12 * i + 8, 4), BitwiseCrc32(*plain));
    }
    EXPECT_EQ(Le(sums, sums.size() - 4, 4), BitwiseCrc32(Bytes(sums.begin(), sums.end() - 4)));
    ASSERT_EQ(RunCommand(VerifyCommand, dir, {dir / "a.zma"}, &out), 0) << out;
    EXPECT_NE(out.find("the archive is whole (checksum file matches)"), std::string::npos) << out;

    // Flips anywhere: verify fails; inside a block, it names the block's record.
    // Flips inside a.txt's block, restored over an older a.txt, keep it.
    std::mt19937 random(11);
    const WalkedRecord* a = blocks[0]->path == src + "a.txt" ? blocks[0] : blocks[1];
    ASSERT_EQ(a->path, src + "a.txt");
    const Bytes old = TextBytes(500, 9);
    int restored = 0;
    for (int i = 0; i < 400; i++) {
        size_t at = random() % archive.size();
        if (i >= 360) // the last ones all inside a.txt's code
            at = a->codeOffset + random() % a->codeSize;
        Bytes flipped = archive;
        flipped[at] ^= (unsigned char)(1u << (random() % 8));
        SCOPED_TRACE("byte " + std::to_string(at));
        ASSERT_TRUE(WriteFileBytes(dir / "f.zma", flipped));
        ASSERT_TRUE(WriteFileBytes(dir / "f.zma.sum", sums));
        EXPECT_EQ(RunCommand(VerifyCommand, dir, {dir / "f.zma"}, &out), 1) << out;
        for (const WalkedRecord* b : blocks)
            if (at >= b->codeOffset && at < b->codeOffset + b->codeSize)
                EXPECT_NE(out.find(b->path), std::string::npos) << out;
        if (at >= a->codeOffset && at < a->codeOffset + a->codeSize && restored++ < 12) {
            ASSERT_TRUE(WriteFileBytes(src + "a.txt", old));
            EXPECT_EQ(RunCommand(RestoreCommand, dir, {dir / "f.zma", "-o"}, &out), 1) << out;
            EXPECT_EQ(ReadFileBytes(src + "a.txt"), old);
        }
    }
    EXPECT_GE(restored, 12);

    // Copied without its checksum file, the archive restores as it always did.
    ASSERT_TRUE(WriteFileBytes(dir / "copy.zma", archive));
    ASSERT_TRUE(WriteFileBytes(src + "a.txt", old));
    EXPECT_EQ(RunCommand(RestoreCommand, dir, {dir / "copy.zma", "-o"}, &out), 0) << out;
    EXPECT_EQ(out, std::string(CRestore::kSuccess) + "\n");
    EXPECT_EQ(ReadFileBytes(src + "a.txt"), files[0].second);
    ASSERT_EQ(RunCommand(VerifyCommand, dir, {dir / "copy.zma"}, &out), 0) << out;
    EXPECT_NE(out.find("the archive is whole (no checksum file)"), std::string::npos) << out;
}
