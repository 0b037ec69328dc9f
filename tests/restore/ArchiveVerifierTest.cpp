// Verifying archives: a whole one, every truncation of it, byte mutations, and
// damage made exactly where it is meant, each reported at its record.
#include "restore/ArchiveLister.h"
#include "restore/ArchiveVerifier.h"
#include "tests/restore/ArchiveTestSupport.h"
#include "tests/support/LineRecorder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Verified {
    CArchiveVerifier::Result result;
    std::vector<std::string> lines;
};

Verified Verify(const std::string& path, bool verbose = false)
{
    CLineRecorder out;
    std::unique_ptr<CArchiveVerifier> verifier(new CArchiveVerifier(out, verbose));
    Verified v;
    v.result = verifier->Verify(path.c_str());
    v.lines = out.lines;
    return v;
}

std::string Summary(size_t records, size_t bytes, size_t damaged)
{
    std::string s = std::to_string(records) + " records, " + std::to_string(bytes) + " bytes checked: ";
    if (!damaged)
        return s + "the archive is whole (no checksum file)";
    return s + std::to_string(damaged) + (damaged == 1 ? " damaged place" : " damaged places") +
           " (no checksum file)";
}

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

} // namespace

TEST(ArchiveVerifier, WholeArchiveIsWholeWithEveryRecordAndByteCounted)
{
    CScratchDir dir;
    CArchiveBuilder b = SampleArchive();
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    Verified v = Verify(dir / "a.zma");
    EXPECT_EQ(v.result, CArchiveVerifier::WHOLE);
    EXPECT_EQ(LinesText(v.lines), Summary(19, b.m_data.size(), 0) + "\n");

    // Header only, both sections absent.
    CArchiveBuilder empty(0, 0, 0, 0);
    ASSERT_TRUE(empty.Save(dir / "e.zma"));
    v = Verify(dir / "e.zma");
    EXPECT_EQ(v.result, CArchiveVerifier::WHOLE);
    EXPECT_EQ(LinesText(v.lines), Summary(0, 29, 0) + "\n");

    // Not archives: nothing written, the caller names the file.
    ASSERT_TRUE(WriteText(dir / "text.txt", "ZMAFv1.1 and more than a header's worth of bytes"));
    EXPECT_EQ(Verify(dir / "text.txt").result, CArchiveVerifier::NOT_AN_ARCHIVE);
    EXPECT_TRUE(Verify(dir / "text.txt").lines.empty());
    EXPECT_EQ(Verify(dir / "missing.zma").result, CArchiveVerifier::NOT_AN_ARCHIVE);
}

TEST(ArchiveVerifier, VerboseListsEveryRecordAsTheListerDoes)
{
    CScratchDir dir;
    CArchiveBuilder b = SampleArchive();
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    CLineRecorder listed;
    {
        CArchiveReader reader;
        ArchiveHeader header;
        ASSERT_TRUE(reader.Open((dir / "a.zma").c_str()) && reader.ReadHeader(header));
        CArchiveLister lister(listed);
        CRecordWalker walker(reader, header);
        ASSERT_TRUE(walker.Walk(lister));
    }
    ASSERT_EQ(listed.lines.size(), 19u);
    Verified v = Verify(dir / "a.zma", true);
    listed.lines.push_back(Summary(19, b.m_data.size(), 0));
    EXPECT_EQ(LinesText(v.lines), LinesText(listed.lines));
}

TEST(ArchiveVerifier, EveryTruncationFailsAtOnePlace)
{
    CScratchDir dir;
    const Bytes whole = SampleArchive().m_data;
    for (size_t cut = 0; cut < whole.size(); cut++) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(WriteFileBytes(dir / "t.zma", Bytes(whole.begin(), whole.begin() + cut)));
        Verified v = Verify(dir / "t.zma");
        if (cut < 8) {
            EXPECT_EQ(v.result, CArchiveVerifier::NOT_AN_ARCHIVE);
            continue;
        }
        ASSERT_EQ(v.result, CArchiveVerifier::DAMAGED);
        // One damaged place, where the file ends or before, then the summary.
        ASSERT_EQ(v.lines.size(), 2u) << LinesText(v.lines);
        EXPECT_EQ(v.lines[0].rfind("damaged at ", 0), 0u) << v.lines[0];
        EXPECT_LE(std::stoull(v.lines[0].substr(11)), cut) << v.lines[0];
        EXPECT_NE(v.lines[1].find(" bytes checked: 1 damaged place"), std::string::npos);
    }
}

TEST(ArchiveVerifier, ByteMutationsNeverCrashAndAlwaysEndWithTheSummary)
{
    CScratchDir dir;
    const Bytes whole = SampleArchive().m_data;
    unsigned seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    int damaged = 0;
    for (int round = 0; round < 3000; round++) {
        Bytes data = whole;
        int changes = 1 + (int)(next() % 3);
        for (int k = 0; k < changes; k++) {
            size_t at = 8 + next() % (data.size() - 8);
            data[at] = (unsigned char)(next() % 5 == 0 ? 0xFF : next());
        }
        ASSERT_TRUE(WriteFileBytes(dir / "m.zma", data));
        Verified v = Verify(dir / "m.zma");
        ASSERT_NE(v.result, CArchiveVerifier::NOT_AN_ARCHIVE) << round;
        ASSERT_FALSE(v.lines.empty()) << round;
        EXPECT_NE(v.lines.back().find(" bytes checked: "), std::string::npos) << round;
        EXPECT_EQ(v.result == CArchiveVerifier::WHOLE, v.lines.size() == 1) << round << LinesText(v.lines);
        damaged += v.result == CArchiveVerifier::DAMAGED;
    }
    // Changed literals of a code, stamps and name letters go unseen, as the
    // format has no checksum; about half of the changes show.
    EXPECT_GT(damaged, 1000);
}

TEST(ArchiveVerifier, DamagedBlocksAreReportedAtTheirRecordsAndTheWalkGoesOn)
{
    CScratchDir dir;
    const Bytes text = TextBytes(4000, 9);
    CArchiveBuilder b(1, 0, 0, 1);
    b.Count(1);
    b.Dir("C:", 3);
    size_t first = b.File("first.txt", text);
    b.PatchDword(b.m_lastCount, 4001); // states a byte more than the code gives
    size_t second = b.File("second.txt", text);
    size_t secondPlain = b.m_lastCount;
    b.PatchDword(secondPlain, 3999); // the code gives a byte more than stated
    b.File("third.txt", text);
    b.Count(1);
    b.Key("", 0x80000002, 0, 2);
    size_t value = b.ValueCode("v", 3, 100, MakeBytes({0xFF, 'a', 'b'}));
    b.Value("w", 1, BytesOf(std::string("ok", 3)));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    Verified v = Verify(dir / "a.zma");
    EXPECT_EQ(v.result, CArchiveVerifier::DAMAGED);
    EXPECT_EQ(LinesText(v.lines),
              "damaged at " + std::to_string(first) +
                  " (C:\\first.txt): its code gives 4000 bytes, its record states 4001\n"
                  "damaged at " + std::to_string(second) +
                  " (C:\\second.txt): its code gives more than the 3999 bytes its record states\n"
                  "damaged at " + std::to_string(value) +
                  " (HKEY_LOCAL_MACHINE, value \"v\"): a plain size of 100 bytes cannot come from 3 code "
                  "bytes\n" +
                  Summary(7, b.m_data.size(), 3) + "\n");
}

TEST(ArchiveVerifier, BrokenStructureIsNamedAtItsRecord)
{
    struct Case {
        const char* what;
        std::string expected; // the damage line after "damaged at OFFSET"
    };
    const Case cases[] = {
        {"type", " (C:\\dir\\x.txt): record type 7 where a directory or a file belongs"},
        {"name", " (C:): a name of 65535 bytes, more than 259"},
        {"count", ""}, // checked loosely below
        {"trailing", ": 3 bytes follow the last record"},
        {"root", " (HKEY_CURRENT_USER\\k): root 0x12345678 is not the root of its tree"},
        {"top root", " (root 0x90000000): root 0x90000000 is not a registry root"},
        {"drive", " (dir): a top-level record that is not a drive"},
        {"flag", ": header flag 2 is 2, not 0 or 1"},
        {"value type", " (HKEY_CURRENT_USER): record type 3 where a value belongs"},
    };
    CScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string what = c.what;
        CArchiveBuilder b(1, 0, 0, 1);
        b.Count(1);
        size_t top = b.Dir(what == "drive" ? "dir" : "C:", 1);
        size_t sub = b.Dir("dir", 1);
        size_t subCount = b.m_lastCount;
        size_t file = b.File("x.txt", BytesOf("x"));
        b.Count(1);
        size_t root = b.Key("", what == "top root" ? 0x90000000 : 0x80000001, 1, 1);
        size_t value = b.Value("v", 1, BytesOf(std::string("v", 2)));
        size_t key = b.Key("k", what == "root" ? 0x12345678 : 0x80000001, 0, 0);
        size_t at = 0;
        if (what == "type") {
            b.m_data[file] = 7;
            at = file;
        } else if (what == "name") {
            b.m_data[sub + 1] = b.m_data[sub + 2] = 0xFF;
            at = sub;
        } else if (what == "count") {
            // One child more than follows: the key section's count is read as a
            // file record, the first of a long run of wrong fields.
            b.PatchDword(subCount, 2);
        } else if (what == "trailing") {
            b.Byte(1), b.Byte(2), b.Byte(3);
            at = b.m_data.size() - 3;
        } else if (what == "root") {
            at = key;
        } else if (what == "top root") {
            at = root;
        } else if (what == "drive") {
            at = top;
        } else if (what == "flag") {
            b.m_data[10] = 2;
            at = 10;
        } else if (what == "value type") {
            b.m_data[value] = 3;
            at = value;
        }
        ASSERT_TRUE(b.Save(dir / "a.zma"));
        Verified v = Verify(dir / "a.zma");
        EXPECT_EQ(v.result, CArchiveVerifier::DAMAGED);
        ASSERT_GE(v.lines.size(), 2u);
        if (what == "count") {
            // The records after the cut are read as files of C:\dir: the walk
            // stops somewhere in them, after the real records were checked.
            EXPECT_EQ(v.lines[0].rfind("damaged at ", 0), 0u) << LinesText(v.lines);
            EXPECT_GT(std::stoull(v.lines[0].substr(11)), (unsigned long long)file) << LinesText(v.lines);
            continue;
        }
        EXPECT_EQ(v.lines[0], "damaged at " + std::to_string(at) + c.expected) << LinesText(v.lines);
    }
}

TEST(ArchiveVerifier, VeryDeepArchiveIsWalkedWithoutRecursion)
{
    CScratchDir dir;
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(1);
    b.Dir("C:", 1);
    const int kDepth = 100000;
    for (int i = 0; i < kDepth; i++)
        b.Dir("d", 1);
    b.File("deep.txt", BytesOf("deep"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    Verified v = Verify(dir / "a.zma");
    EXPECT_EQ(v.result, CArchiveVerifier::WHOLE);
    EXPECT_EQ(LinesText(v.lines), Summary(kDepth + 2, b.m_data.size(), 0) + "\n");
}
