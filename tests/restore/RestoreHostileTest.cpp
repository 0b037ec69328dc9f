// Damaged and hostile archives: refused names and drives, truncations, impossible
// counts and sizes, and a deterministic mutation run over real archives, all
// restored into a scratch directory (and a test key) whose surroundings are
// checked to stay as they were.
#include "base/JobState.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

std::string Text(const char* s) { return s; }
Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string Refused(const std::string& path) { return "Недопустимое имя в архиве: " + path; }

// What lies beside the scratch directory and above it, up to the drive.
class CSurroundings {
public:
    explicit CSurroundings(const std::string& scratch)
    {
        std::string dir = scratch;
        while (dir.size() > 3) {
            dir = ParentDir(dir);
            m_listings[dir] = ListNames(dir);
        }
    }
    // The first directory whose listing changed, or "" when none did.
    std::string Changed() const
    {
        for (const auto& entry : m_listings)
            if (ListNames(entry.first) != entry.second)
                return entry.first;
        return "";
    }

private:
    std::map<std::string, std::set<std::string>> m_listings;
};

// What lies beside the test key and above it.
class CKeySurroundings {
public:
    CKeySurroundings()
        : m_top(SubkeyNames("")), m_software(SubkeyNames("Software")),
          m_tests(SubkeyNames("Software\\ZelmoraTest")), m_topValues(ValueNames("")),
          m_softwareValues(ValueNames("Software")), m_testValues(ValueNames("Software\\ZelmoraTest"))
    {
    }
    bool Same() const
    {
        return SubkeyNames("") == m_top && SubkeyNames("Software") == m_software &&
               SubkeyNames("Software\\ZelmoraTest") == m_tests && ValueNames("") == m_topValues &&
               ValueNames("Software") == m_softwareValues &&
               ValueNames("Software\\ZelmoraTest") == m_testValues;
    }

private:
    std::set<std::string> m_top, m_software, m_tests, m_topValues, m_softwareValues, m_testValues;
};

// Lines that a restore of a damaged archive may end with, and the rules every
// run keeps: the success line only alone, nothing after the damage line.
void ExpectSoundLines(const std::vector<std::string>& lines, const std::string& what)
{
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i] == CRestore::kSuccess) {
            EXPECT_EQ(lines.size(), 1u) << what << JoinLines(lines);
        }
        if (lines[i] == CRestore::kDamaged) {
            EXPECT_EQ(i + 1, lines.size()) << what << JoinLines(lines);
        }
    }
}

bool EndsDamaged(const std::vector<std::string>& lines)
{
    return !lines.empty() &&
           (lines.back() == CRestore::kDamaged || lines.back() == CRestore::kOpenError);
}

} // namespace

TEST(RestoreHostile, NamesThatAreNotOneComponentAreRefusedAndReadPast)
{
    RestoreOptions options(1, 1, 0, 1);
    for (const std::string& name : CraftedNames()) {
        CScratchDir dir;
        CSurroundings around(dir.Path());
        CArchiveBuilder b(1, 1, 1, 0);
        b.Count(1);
        b.Chain(dir.Path(), 1);
        CraftedBox(b, name);
        ASSERT_TRUE(b.Save(dir / "a.zma"));

        const std::string shown = Shown(name);
        EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")),
                  "[" + Refused(dir / "box\\" + shown) + "][" + Refused(dir / "box\\" + shown) + "]")
            << shown;
        EXPECT_EQ(ListTree(dir / "box"), std::set<std::string>{"ok.txt"}) << shown;
        EXPECT_EQ(ReadFileBytes(dir / "box\\ok.txt"), BytesOf("ok"));
        EXPECT_EQ(around.Changed(), "") << shown;
    }
}

TEST(RestoreHostile, TopLevelRecordsMustBeDrives)
{
    CScratchDir dir;
    CSurroundings around(dir.Path());
    RestoreOptions options;
    const std::string drives[] = {"CC", "1:", ":", "C:\\", "C", "", "..", "C:.", "Ж:", "C;"};
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(12);
    std::string expected;
    for (const std::string& d : drives) {
        b.Dir(d, 1);
        b.File("evil.txt", BytesOf("evil"));
        expected += "[" + Refused(d) + "]";
    }
    b.File("C:", BytesOf("a drive that is a file"));
    expected += "[" + Refused("C:") + "]";
    b.Chain(dir.Path(), 1);
    b.File("good.txt", BytesOf("good"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), expected);
    EXPECT_EQ(ReadFileBytes(dir / "good.txt"), BytesOf("good"));
    EXPECT_EQ(around.Changed(), "");
}

TEST(RestoreHostile, PathTooLongIsRefusedAndItsSubtreeReadPast)
{
    CScratchDir dir;
    RestoreOptions options;
    const std::string part(40, 'p');
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(1);
    b.Chain(dir.Path(), 2);
    size_t depth = 0;
    std::string path = dir.Path();
    while (path.size() + part.size() < MAX_PATH - 1) {
        b.Dir(part, 1);
        path += part + "\\";
        depth++;
    }
    b.Dir(part, 1);
    b.File("deep.txt", BytesOf("deep"));
    b.File("after.txt", BytesOf("after"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    std::vector<std::string> lines = RestoreWhole(dir / "a.zma");
    ASSERT_EQ(lines.size(), 1u) << JoinLines(lines);
    EXPECT_EQ(lines[0].compare(0, 22, "Слишком длинный путь: "), 0) << lines[0];
    EXPECT_EQ(ReadFileBytes(dir / "after.txt"), BytesOf("after"));
    EXPECT_GE(depth, 3u);
}

TEST(RestoreHostile, VeryDeepRefusedSubtreeIsReadPastWithoutRecursion)
{
    CScratchDir dir;
    RestoreOptions options;
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(1);
    b.Chain(dir.Path(), 2);
    b.Dir("..", 1);
    const int kDepth = 200000;
    for (int i = 0; i < kDepth; i++)
        b.Dir("d", i + 1 < kDepth ? 1 : 0);
    b.File("after.txt", BytesOf("after"));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Refused(dir / "..") + "]");
    EXPECT_EQ(ReadFileBytes(dir / "after.txt"), BytesOf("after"));
}

TEST(RestoreHostile, UnknownRecordTypesAreDamage)
{
    RestoreOptions options;
    for (int type : {0, 3, 4, 5, 255}) {
        CScratchDir dir;
        CArchiveBuilder b(1, 0, 0, 0);
        b.Count(1);
        b.Chain(dir.Path(), 2);
        b.File("first.txt", BytesOf("first"));
        size_t at = b.File("second.txt", BytesOf("second"));
        b.m_data[at] = (unsigned char)type;
        ASSERT_TRUE(b.Save(dir / "a.zma"));
        EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kDamaged) + "]")
            << type;
        EXPECT_TRUE(FileExistsAt(dir / "first.txt"));
        EXPECT_FALSE(FileExistsAt(dir / "second.txt"));
    }
}

TEST(RestoreHostile, ImpossibleCountsAndSizesAreDamage)
{
    RestoreOptions options;
    struct Case {
        const char* what;
        int field; // 0 section count, 1 child count, 2 plain size, 3 code size, 4 name length
        DWORD value;
    } cases[] = {
        {"section count", 0, 0xFFFFFFFF}, {"child count", 1, 0xFFFFFFFF},
        {"child count", 1, 3},            {"plain size", 2, 0xFFFFFFFF},
        {"plain size", 2, 100000},        {"code size", 3, 0xFFFFFFFF},
        {"code size", 3, 0x7FFFFFFF},     {"code size", 3, 1000},
        {"name length", 4, 0xFFFF},       {"name length", 4, 260},
    };
    for (const Case& c : cases) {
        CScratchDir dir;
        CArchiveBuilder b(1, 1, 1, 0);
        size_t section = b.Count(1);
        b.Chain(dir.Path(), 1);
        size_t child = b.m_lastCount;
        size_t file = b.File("f.txt", TextBytes(3000, 1));
        size_t plain = b.m_lastCount;
        switch (c.field) {
        case 0: b.PatchDword(section, c.value); break;
        case 1: b.PatchDword(child, c.value); break;
        case 2: b.PatchDword(plain, c.value); break;
        case 3: b.PatchDword(plain + 4, c.value); break;
        default:
            b.m_data[file + 1] = (unsigned char)c.value;
            b.m_data[file + 2] = (unsigned char)(c.value >> 8);
        }
        ASSERT_TRUE(b.Save(dir / "a.zma"));
        std::vector<std::string> lines = RestoreWhole(dir / "a.zma");
        EXPECT_EQ(JoinLines(lines), "[" + Text(CRestore::kDamaged) + "]") << c.what << c.value;
        if (c.field >= 2) {
            EXPECT_FALSE(FileExistsAt(dir / "f.txt")) << c.what << c.value;
        }
    }
}

TEST(RestoreHostile, BytesAfterTheLastSectionAreDamage)
{
    CScratchDir dir;
    RestoreOptions options;
    CArchiveBuilder b(1, 0, 0, 0);
    b.Count(1);
    b.Chain(dir.Path(), 1);
    b.File("f.txt", BytesOf("f"));
    b.Byte(0);
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "a.zma")), "[" + Text(CRestore::kDamaged) + "]");
    EXPECT_EQ(ReadFileBytes(dir / "f.txt"), BytesOf("f"));
}

namespace {

// Notes every block size asked for.
class CAllocationRecorder : public CRecordedRestore {
public:
    DWORD largest = 0;

protected:
    BYTE* AllocateBlock(DWORD size) override
    {
        if (size > largest)
            largest = size;
        return CRestore::AllocateBlock(size);
    }
};

} // namespace

TEST(RestoreHostile, SizesBeyondTheFileAreNeverAllocated)
{
    CScratchDir dir;
    RestoreOptions options;
    CTestKey key("RestoreHostileSizes");
    CArchiveBuilder b(1, 0, 0, 1);
    b.Count(1);
    b.Chain(dir.Path(), 1);
    b.FileCode("f.txt", 0x10000000, Bytes(8, 0xFF)); // plain far beyond what 8 bytes decode to
    b.Count(1);
    b.KeyChain(0x80000001, key.Path(), 0, 1);
    b.ValueCode("v", REG_BINARY, 0x40000000, Bytes(16, 0));
    ASSERT_TRUE(b.Save(dir / "a.zma"));
    std::unique_ptr<CAllocationRecorder> r(new CAllocationRecorder);
    r->RestoreAll(nullptr, (dir / "a.zma").c_str(), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kDamaged) + "]");
    EXPECT_EQ(r->largest, 0u);

    CArchiveBuilder v(0, 0, 0, 1);
    v.Count(1);
    v.KeyChain(0x80000001, key.Path(), 0, 1);
    v.ValueCode("v", REG_BINARY, 0x40000000, Bytes(16, 0));
    ASSERT_TRUE(v.Save(dir / "v.zma"));
    r.reset(new CAllocationRecorder);
    r->RestoreAll(nullptr, (dir / "v.zma").c_str(), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kDamaged) + "]");
    EXPECT_EQ(r->largest, 0u);
    EXPECT_EQ(ValueNames(key.Path()), std::set<std::string>{});
}

namespace {

// A small real archive of files into the scratch directory, and the places in it
// that a mutation may touch: the header (but the two flags that change the layout
// of every record), the section count, and everything after the name of the
// scratch directory's own record (the records that lead there are left alone, so
// that every record the archive can name stays inside the scratch directory).
struct FileArchive {
    CArchiveBuilder b{1, 1, 1, 0};
    std::vector<size_t> mutable_;
    explicit FileArchive(const std::string& scratch)
    {
        b.Count(1);
        b.Chain(scratch, 4);
        size_t payload = b.m_lastNameEnd;
        b.Dir("d1", 2, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
        b.File("a.txt", TextBytes(120, 1));
        b.Dir("d2", 1);
        b.File("b.bin", RandomBytes(24, 2), FILE_ATTRIBUTE_READONLY);
        b.File("empty", {});
        b.File("c.txt", TextBytes(30, 3), FILE_ATTRIBUTE_HIDDEN);
        b.Dir("e", 0);
        for (size_t i = 0; i < 33; i++)
            if (i != 9 && i != 10)
                mutable_.push_back(i);
        for (size_t i = payload; i < b.m_data.size(); i++)
            mutable_.push_back(i);
    }
};

struct KeyArchive {
    CArchiveBuilder b{0, 0, 0, 1};
    std::vector<size_t> mutable_;
    KeyArchive(const std::string& keyPath)
    {
        b.Count(1);
        b.KeyChain(0x80000001, keyPath, 2, 4);
        size_t payload = b.m_lastNameEnd;
        b.Value("", REG_SZ, BytesOf(std::string("default", 8)));
        b.Value("bin", REG_BINARY, RandomBytes(24, 4));
        b.Value("dw", REG_DWORD, MakeBytes({1, 2, 3, 4}));
        b.Value("empty", REG_SZ, {});
        b.Key("sub", 0x80000001, 1, 1);
        b.Value("multi", REG_MULTI_SZ, BytesOf(std::string("a\0bc\0\0", 6)));
        b.Key("deeper", 0x80000001, 0, 0);
        b.Key("other", 0x80000001, 0, 1);
        b.Value("x", REG_EXPAND_SZ, BytesOf(std::string("%TEMP%\\x", 9)));
        for (size_t i = 0; i < 33; i++)
            mutable_.push_back(i);
        for (size_t i = payload; i < b.m_data.size(); i++)
            mutable_.push_back(i);
    }
};

// Damaged variants of an archive, chosen deterministically: every truncation of
// the header and the first records and every fourth one after; at each place a
// mutation may touch, the byte inverted; at every other place a low or a high bit
// flipped in turn and an impossible 32-bit value (all ones, just below 2 GiB,
// 64 KiB) in turn.
std::vector<std::pair<std::string, Bytes>> Variants(const Bytes& data,
                                                    const std::vector<size_t>& places)
{
    std::vector<std::pair<std::string, Bytes>> out;
    for (size_t n = 0; n < data.size(); n += n < 48 ? 1 : 4)
        out.push_back({"truncated to " + std::to_string(n), Bytes(data.begin(), data.begin() + n)});
    static const DWORD kHuge[] = {0xFFFFFFFFu, 0x7FFFFFF0u, 0x00010000u};
    for (size_t i = 0; i < places.size(); i++) {
        size_t p = places[i];
        for (int x : {0xFF, i % 4 ? 0x80 : 0x01}) {
            if (x != 0xFF && i % 2)
                continue;
            Bytes d = data;
            d[p] ^= (unsigned char)x;
            out.push_back({"byte " + std::to_string(p) + " ^ " + std::to_string(x), d});
        }
        if (i % 2 == 0 && p + 4 <= data.size()) {
            DWORD v = kHuge[(i / 2) % 3];
            Bytes d = data;
            for (int k = 0; k < 4; k++)
                d[p + k] = (unsigned char)(v >> (8 * k));
            out.push_back({"dword " + std::to_string(p) + " = " + std::to_string(v), d});
        }
    }
    return out;
}

} // namespace

TEST(RestoreHostile, MutatedFileArchivesStayInsideTheScratchDirectory)
{
    CScratchDir dir;
    CSurroundings around(dir.Path());
    RestoreOptions options(1, 1, 0, 1);
    FileArchive a(dir.Path());
    ASSERT_TRUE(a.b.Save(dir / "base.zma"));
    ASSERT_EQ(JoinLines(RestoreWhole(dir / "base.zma")), "[" + Text(CRestore::kSuccess) + "]");

    const std::string archive = dir / "m.zma";
    int restored = 0, damaged = 0, n = 0;
    for (const auto& v : Variants(a.b.m_data, a.mutable_)) {
        g_bOverwriteFiles = (BYTE)(n++ % 2);
        ASSERT_TRUE(WriteFileBytes(archive, v.second));
        std::vector<std::string> lines = RestoreWhole(archive);
        ExpectSoundLines(lines, v.first);
        if (v.first.compare(0, 9, "truncated") == 0) {
            EXPECT_TRUE(EndsDamaged(lines)) << v.first << JoinLines(lines);
        }
        (EndsDamaged(lines) ? damaged : restored)++;
    }
    EXPECT_EQ(around.Changed(), "");
    EXPECT_GT(damaged, 300);
    EXPECT_GT(restored, 50);
}

TEST(RestoreHostile, MutatedRegistryArchivesStayInsideTheTestKey)
{
    CScratchDir dir;
    CTestKey key("RestoreMutation");
    RestoreOptions options;
    KeyArchive a(key.Path());
    ASSERT_TRUE(a.b.Save(dir / "base.zma"));
    ASSERT_EQ(JoinLines(RestoreWhole(dir / "base.zma")), "[" + Text(CRestore::kSuccess) + "]");
    CKeySurroundings around;

    const std::string archive = dir / "m.zma";
    int damaged = 0;
    for (const auto& v : Variants(a.b.m_data, a.mutable_)) {
        ASSERT_TRUE(WriteFileBytes(archive, v.second));
        std::vector<std::string> lines = RestoreWhole(archive);
        ExpectSoundLines(lines, v.first);
        if (v.first.compare(0, 9, "truncated") == 0) {
            EXPECT_TRUE(EndsDamaged(lines)) << v.first << JoinLines(lines);
        }
        damaged += EndsDamaged(lines);
    }
    EXPECT_TRUE(around.Same());
    EXPECT_GT(damaged, 300);
}
