// The POSIX stand-ins for the Win32 file calls of the portable code: times and
// their zones, attributes over the file mode, links that are never followed,
// renames that replace only when asked to, and the last error.
#include "framework/Platform.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

unsigned long long Ticks(const FILETIME& t)
{
    return ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

// Sets the time zone for the life of the object.
class CZone {
public:
    explicit CZone(const char* tz)
    {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~CZone()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    std::string m_old;
};

// 2021-03-04 10:20:30 and 2021-07-01 12:00:00 as DOS words.
const WORD kMarchDate = (41 << 9) | (3 << 5) | 4, kMarchTime = (10 << 11) | (20 << 5) | 15;
const WORD kJulyDate = (41 << 9) | (7 << 5) | 1, kJulyTime = 12 << 11;
// Seconds from 1601 to 1970, and the two moments as Unix times in universal time.
const unsigned long long kEpoch = 11644473600ULL;
const unsigned long long kMarch = 1614853230ULL, kJuly = 1625140800ULL;

unsigned long long LocalToUniversal(WORD date, WORD time)
{
    FILETIME local, universal;
    EXPECT_TRUE(DosDateTimeToFileTime(date, time, &local));
    EXPECT_TRUE(LocalFileTimeToFileTime(&local, &universal));
    return Ticks(universal) / 10000000 - kEpoch;
}

} // namespace

TEST(PlatformPosix, DosStampsAreLocalTimeInTheZoneOfTheirDay)
{
    FILETIME t;
    ASSERT_TRUE(DosDateTimeToFileTime(kMarchDate, kMarchTime, &t));
    EXPECT_EQ(Ticks(t), (kMarch + kEpoch) * 10000000ULL);
    EXPECT_FALSE(DosDateTimeToFileTime((41 << 9) | (13 << 5) | 1, 0, &t)); // month 13
    EXPECT_FALSE(DosDateTimeToFileTime((41 << 9) | (1 << 5), 0, &t));      // day 0
    {
        CZone zone("UTC0");
        EXPECT_EQ(LocalToUniversal(kMarchDate, kMarchTime), kMarch);
    }
    {
        CZone zone("MSK-3");
        EXPECT_EQ(LocalToUniversal(kMarchDate, kMarchTime), kMarch - 3 * 3600);
    }
    {
        // Central Europe: one hour ahead in winter, two in summer.
        CZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(LocalToUniversal(kMarchDate, kMarchTime), kMarch - 3600);
        EXPECT_EQ(LocalToUniversal(kJulyDate, kJulyTime), kJuly - 2 * 3600);
    }
}

TEST(PlatformPosix, TimesGoOnFilesAndDirectoriesThroughTheirHandles)
{
    CScratchDir dir;
    ASSERT_TRUE(WriteText(dir / "f", "x"));
    FILETIME access, write;
    access.dwLowDateTime = (DWORD)((kJuly + kEpoch) * 10000000ULL);
    access.dwHighDateTime = (DWORD)(((kJuly + kEpoch) * 10000000ULL) >> 32);
    write.dwLowDateTime = (DWORD)((kMarch + kEpoch) * 10000000ULL + 5);
    write.dwHighDateTime = (DWORD)(((kMarch + kEpoch) * 10000000ULL) >> 32);
    HANDLE h = CreateFileA((dir / "f").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(h, nullptr, &access, &write));
    CloseHandle(h);
    struct stat st;
    ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
    EXPECT_EQ((unsigned long long)st.st_atime, kJuly);
    EXPECT_EQ((unsigned long long)st.st_mtime, kMarch);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);

    // A directory opens only for its times; a null time stays.
    std::string sub = dir / "sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_EQ(CreateFileA(sub.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    h = CreateFileA(sub.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                    nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_EQ(stat(sub.c_str(), &st), 0);
    time_t accessBefore = st.st_atime;
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &write));
    CloseHandle(h);
    ASSERT_EQ(stat(sub.c_str(), &st), 0);
    EXPECT_EQ((unsigned long long)st.st_mtime, kMarch);
    EXPECT_EQ(st.st_atime, accessBefore);
}

TEST(PlatformPosix, AttributesFollowTheModeAndLinksAreNeverFollowed)
{
    CScratchDir dir;
    const std::string f = dir / "f", link = dir / "link", sub = dir / "sub";
    ASSERT_TRUE(WriteText(f, "x"));
    EXPECT_EQ(GetFileAttributesA(f.c_str()), (DWORD)FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(GetFileAttributesA(f.c_str()), (DWORD)FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);

    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileAttributesA(sub.c_str()), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_EQ(symlink(sub.c_str(), link.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA(link.c_str()), (DWORD)FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_FALSE(SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA((dir / "missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

    // A new file never takes the place of an entry, nor goes through a link to
    // where it points.
    const std::string dangling = dir / "dangling", target = dir / "target";
    ASSERT_EQ(symlink(target.c_str(), dangling.c_str()), 0);
    EXPECT_EQ(CreateFileA(dangling.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(FileExistsAt(target));
}

TEST(PlatformPosix, RenamesReplaceOnlyWhenAskedTo)
{
    CScratchDir dir;
    const std::string a = dir / "a", b = dir / "b";
    ASSERT_TRUE(WriteText(a, "new"));
    ASSERT_TRUE(WriteText(b, "old"));
    EXPECT_FALSE(MoveFileExA(a.c_str(), b.c_str(), 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadText(b), "old");
    EXPECT_TRUE(MoveFileExA(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadText(b), "new");
    EXPECT_FALSE(FileExistsAt(a));
    EXPECT_TRUE(MoveFileExA(b.c_str(), a.c_str(), 0));
    EXPECT_EQ(ReadText(a), "new");
}
