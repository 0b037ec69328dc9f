// The root-key table and the family of a version.
#include "base/RootKeys.h"

#include <gtest/gtest.h>

TEST(RootKeys, NamesAndCodesRoundTrip)
{
    for (DWORD code = ROOT_KEY_FIRST; code <= ROOT_KEY_LAST; code++) {
        EXPECT_TRUE(IsRootCode(code));
        BYTE family = code == ROOT_KEY_LAST ? OS_WIN9X : OS_NT5;
        EXPECT_EQ(RootKeyFromName(RootKeyName(code, family)), code) << code;
    }
    EXPECT_FALSE(IsRootCode(ROOT_KEY_FIRST - 1));
    EXPECT_FALSE(IsRootCode(ROOT_KEY_LAST + 1));
    EXPECT_EQ(RootKeyFromName("hkey_current_user"), 0x80000001u);
    EXPECT_EQ(RootKeyFromName("HKEY_CURRENT"), 0u);
    // The sixth and seventh codes are named by the family.
    EXPECT_STREQ(RootKeyName(0x80000006u, OS_WIN9X), "HKEY_DYN_DATA");
    EXPECT_STREQ(RootKeyName(0x80000006u, OS_NT4), "HKEY_PERFORMANCE_DATA");
    EXPECT_STREQ(RootKeyName(0x80000004u, OS_WIN9X), "HKEY_DYN_DATA");
    EXPECT_STREQ(RootKeyName(0x80000004u, OS_NT5), "HKEY_PERFORMANCE_DATA");
}

#ifdef _WIN32
TEST(RootKeys, HandlesAreTheSystemsOwnConstants)
{
    EXPECT_EQ(RootKeyHandle(0x80000001u), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyHandle(0x80000002u), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyCode(HKEY_USERS), 0x80000003u);
    EXPECT_EQ(OsFamilyOf(VER_PLATFORM_WIN32_WINDOWS, 4), OS_WIN9X);
    EXPECT_EQ(OsFamilyOf(VER_PLATFORM_WIN32_NT, 4), OS_NT4);
    EXPECT_EQ(OsFamilyOf(VER_PLATFORM_WIN32_NT, 5), OS_NT5);
}
#endif
