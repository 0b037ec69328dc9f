// The version block of both programs, read as a file's properties read it
// (GetFileVersionInfo): version 1.0, the maker and the description of the
// About box, in Russian with code page 1251.
#include "framework/Platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A path of the build (Linux) as Wine's drive Z: sees it.
std::string OnDriveZ(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

struct Program {
    const char* path;
    const char* description;
    const char* fileName;
};

} // namespace

TEST(VersionInfo, BothProgramsSayWhatTheyAre)
{
    const Program programs[] = {
        {ZM_ZELMORA_EXE, "Архивы, отчеты и сравнения Windows", "zelmora.exe"},
        {ZM_ZMCLI_EXE, "Архивы, отчеты и сравнения Windows (командная строка)", "zmcli.exe"},
    };
    for (const Program& p : programs) {
        SCOPED_TRACE(p.fileName);
        std::string path = OnDriveZ(p.path);
        DWORD ignored = 0;
        DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
        ASSERT_NE(0u, size);
        std::vector<char> block(size);
        ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT len = 0;
        ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", (void**)&fixed, &len));
        EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
        EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
        EXPECT_EQ(0u, fixed->dwFileVersionLS);
        EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
        EXPECT_EQ(0u, fixed->dwProductVersionLS);
        EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

        WORD* translation = nullptr;
        ASSERT_TRUE(::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void**)&translation, &len));
        ASSERT_EQ(4u, len);
        EXPECT_EQ(0x0419, translation[0]);
        EXPECT_EQ(1251, translation[1]);

        const std::pair<const char*, std::string> strings[] = {
            {"CompanyName", "Quorvane"},         {"FileDescription", p.description},
            {"FileVersion", "1.0"},              {"ProductName", "Zelmora"},
            {"ProductVersion", "1.0"},           {"OriginalFilename", p.fileName},
        };
        for (const auto& s : strings) {
            SCOPED_TRACE(s.first);
            char* value = nullptr;
            std::string key = std::string("\\StringFileInfo\\041904E3\\") + s.first;
            ASSERT_TRUE(::VerQueryValueA(block.data(), key.c_str(), (void**)&value, &len));
            EXPECT_EQ(s.second, std::string(value));
        }
    }
}
