// Registry section: byte-built archives restored into a test key of the real
// (Wine) registry below HKEY_CURRENT_USER.
#include "base/JobState.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const DWORD kHKCU = 0x80000001;

std::string Text(const char* s) { return s; }
Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string Success() { return "[" + Text(CRestore::kSuccess) + "]"; }

void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const Bytes& data)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                   (DWORD)data.size());
    RegCloseKey(key);
}

void ExpectValue(const std::string& keyPath, const std::string& name, DWORD type, const Bytes& data)
{
    DWORD gotType = 0;
    Bytes got;
    ASSERT_TRUE(QueryValue(keyPath, name, gotType, got)) << keyPath << " : " << name;
    EXPECT_EQ(gotType, type) << name;
    EXPECT_EQ(Hex(got, 200), Hex(data, 200)) << name;
}

CArchiveBuilder RegistryArchive(DWORD topLevel)
{
    CArchiveBuilder b(0, 0, 0, 1);
    b.Count(topLevel);
    return b;
}

} // namespace

TEST(RestoreRegistry, KeysAndValuesOfEveryTypeComeBackExactly)
{
    CScratchDir dir;
    CTestKey key("RestoreTypes");
    struct V {
        std::string name;
        DWORD type;
        Bytes data;
    } values[] = {
        {"", REG_SZ, BytesOf(std::string("default value", 14))},
        {"sz", REG_SZ, BytesOf(std::string("text", 5))},
        {"expand", REG_EXPAND_SZ, BytesOf(std::string("%SystemRoot%\\x", 15))},
        {"binary", REG_BINARY, RandomBytes(3000, 7)},
        {"dword", REG_DWORD, MakeBytes({0x78, 0x56, 0x34, 0x12})},
        {"multi", REG_MULTI_SZ, BytesOf(std::string("one\0two\0\0", 9))},
        {"qword", 11, MakeBytes({1, 2, 3, 4, 5, 6, 7, 8})},
        {"none", REG_NONE, {}},
        {"empty binary", REG_BINARY, {}},
        {"odd type", 0x1234, MakeBytes({9, 8, 7})},
        {"Имя значения", REG_SZ, BytesOf(std::string("Значение", 9))},
    };
    CArchiveBuilder b = RegistryArchive(1);
    b.KeyChain(kHKCU, key.Path(), 2, (DWORD)(sizeof values / sizeof values[0]));
    for (const V& v : values)
        b.Value(v.name, v.type, v.data);
    b.Key("sub", kHKCU, 1, 1);
    b.Value("in sub", REG_DWORD, MakeBytes({1, 0, 0, 0}));
    b.Key("deeper", kHKCU, 1, 0);
    b.Key("deepest", kHKCU, 0, 1);
    b.Value("", REG_BINARY, MakeBytes({0xAA}));
    b.Key("Ключ", kHKCU, 0, 0);
    ASSERT_TRUE(b.Save(dir / "r.zma"));

    EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")), Success());
    for (const V& v : values)
        ExpectValue(key.Path(), v.name, v.type, v.data);
    ExpectValue(key / "sub", "in sub", REG_DWORD, MakeBytes({1, 0, 0, 0}));
    ExpectValue(key / "sub\\deeper\\deepest", "", REG_BINARY, MakeBytes({0xAA}));
    EXPECT_EQ(SubkeyNames(key.Path()), (std::set<std::string>{"sub", "Ключ"}));
    EXPECT_EQ(ValueNames(key / "sub\\deeper"), std::set<std::string>{});
}

TEST(RestoreRegistry, WhatTheArchiveDoesNotHoldStaysAndStoredValuesReplace)
{
    CScratchDir dir;
    CTestKey key("RestoreKeep");
    SetValue(key.Path(), "keep", REG_SZ, BytesOf(std::string("kept", 5)));
    SetValue(key.Path(), "replace", REG_BINARY, MakeBytes({1, 2, 3}));
    SetValue(key.Path(), "", REG_SZ, BytesOf(std::string("old default", 12)));
    SetValue(key / "other", "x", REG_DWORD, MakeBytes({5, 0, 0, 0}));
    CArchiveBuilder b = RegistryArchive(1);
    b.KeyChain(kHKCU, key.Path(), 1, 2);
    b.Value("replace", REG_SZ, BytesOf(std::string("new", 4)));
    b.Value("", REG_SZ, BytesOf(std::string("new default", 12)));
    b.Key("sub", kHKCU, 0, 0);
    ASSERT_TRUE(b.Save(dir / "r.zma"));

    EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")), Success());
    ExpectValue(key.Path(), "keep", REG_SZ, BytesOf(std::string("kept", 5)));
    ExpectValue(key.Path(), "replace", REG_SZ, BytesOf(std::string("new", 4)));
    ExpectValue(key.Path(), "", REG_SZ, BytesOf(std::string("new default", 12)));
    ExpectValue(key / "other", "x", REG_DWORD, MakeBytes({5, 0, 0, 0}));
    EXPECT_EQ(SubkeyNames(key.Path()), (std::set<std::string>{"other", "sub"}));
}

TEST(RestoreRegistry, FilesComeBeforeTheRegistryInOneArchive)
{
    CScratchDir dir;
    CTestKey key("RestoreBoth");
    RestoreOptions options;
    CArchiveBuilder b(1, 0, 0, 1);
    b.Count(1);
    b.Chain(dir.Path(), 1);
    b.File("f.txt", BytesOf("file"));
    b.Count(1);
    b.KeyChain(kHKCU, key.Path(), 0, 1);
    b.Value("v", REG_SZ, BytesOf(std::string("value", 6)));
    ASSERT_TRUE(b.Save(dir / "r.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")), Success());
    EXPECT_EQ(ReadFileBytes(dir / "f.txt"), BytesOf("file"));
    ExpectValue(key.Path(), "v", REG_SZ, BytesOf(std::string("value", 6)));
}

TEST(RestoreRegistry, RootsThatAreNotPredefinedAreRefused)
{
    CScratchDir dir;
    CTestKey key("RestoreRoots");
    CArchiveBuilder b = RegistryArchive(3);
    b.Key("", 0x12345678, 1, 1);
    b.Value("v", REG_SZ, BytesOf("x"));
    b.Key("Software", 0x12345678, 0, 0);
    b.Key("", 0x80000007, 0, 0);
    b.KeyChain(kHKCU, key.Path(), 0, 1);
    b.Value("v", REG_SZ, BytesOf(std::string("ok", 3)));
    ASSERT_TRUE(b.Save(dir / "r.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")),
              "[Недопустимый корневой ключ в архиве: 0x12345678]"
              "[Недопустимый корневой ключ в архиве: 0x80000007]");
    ExpectValue(key.Path(), "v", REG_SZ, BytesOf(std::string("ok", 3)));
}

TEST(RestoreRegistry, KeyAndValueNamesThatNameSomethingElseAreRefused)
{
    CScratchDir dir;
    CTestKey key("RestoreKeyNames");
    CArchiveBuilder b = RegistryArchive(1);
    b.KeyChain(kHKCU, key.Path(), 4, 2);
    b.Value(std::string("a\0b", 3), REG_SZ, BytesOf("x"));
    b.Value("fine", REG_SZ, BytesOf(std::string("fine", 5)));
    b.Key("..\\..\\Escape", kHKCU, 0, 1);
    b.Value("v", REG_SZ, BytesOf("x"));
    b.Key("", kHKCU, 1, 1); // an unnamed key below the top names its parent
    b.Value("v", REG_SZ, BytesOf("x"));
    b.Key("", kHKCU, 0, 0);
    b.Key(std::string("n\0ul", 4), kHKCU, 0, 0);
    b.Key("ok", kHKCU, 0, 1);
    b.Value("v", REG_SZ, BytesOf(std::string("ok", 3)));
    ASSERT_TRUE(b.Save(dir / "r.zma"));
    const std::string shown = "HKEY_CURRENT_USER\\" + key.Path();
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")),
              "[Недопустимое имя в архиве: " + shown + "\\a?b]"
              "[Недопустимое имя в архиве: " + shown + "\\..\\..\\Escape]"
              "[Недопустимое имя в архиве: " + shown + "\\]"
              "[Недопустимое имя в архиве: " + shown + "\\n?ul]");
    EXPECT_EQ(SubkeyNames(key.Path()), std::set<std::string>{"ok"});
    EXPECT_EQ(ValueNames(key.Path()), std::set<std::string>{"fine"});
    ExpectValue(key / "ok", "v", REG_SZ, BytesOf(std::string("ok", 3)));
    EXPECT_FALSE(KeyExists("Software\\Escape"));
}

TEST(RestoreRegistry, ValueCodeOfAnotherSizeIsDamageAndSetsNothing)
{
    for (DWORD plain : {4u, 40u}) {
        CScratchDir dir;
        CTestKey key("RestoreValueSize");
        CArchiveBuilder b = RegistryArchive(1);
        b.KeyChain(kHKCU, key.Path(), 0, 3);
        b.Value("before", REG_DWORD, MakeBytes({1, 0, 0, 0}));
        b.ValueCode("bad", REG_BINARY, plain, CArchiveBuilder::Encode(RandomBytes(20, 3)));
        b.Value("after", REG_DWORD, MakeBytes({2, 0, 0, 0}));
        ASSERT_TRUE(b.Save(dir / "r.zma"));
        EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")), "[" + Text(CRestore::kDamaged) + "]");
        EXPECT_EQ(ValueNames(key.Path()), std::set<std::string>{"before"}) << plain;
    }
}

TEST(RestoreRegistry, KeyThatCannotBeCreatedGetsNoValuesAndItsSubkeysAreTried)
{
    CScratchDir dir;
    CTestKey key("RestoreNoKey");
    // Keys cannot be created below the performance-data root.
    CArchiveBuilder b = RegistryArchive(2);
    b.Key("", 0x80000004, 1, 2);
    b.Value("lost", REG_SZ, BytesOf("x"));
    b.Value("lost too", REG_BINARY, RandomBytes(100, 1));
    b.Key("sub", 0x80000004, 0, 1);
    b.Value("lost", REG_SZ, BytesOf("x"));
    b.KeyChain(kHKCU, key.Path(), 0, 1);
    b.Value("v", REG_SZ, BytesOf(std::string("v", 2)));
    ASSERT_TRUE(b.Save(dir / "r.zma"));
    EXPECT_EQ(JoinLines(RestoreWhole(dir / "r.zma")),
              "[Не удалось создать ключ HKEY_PERFORMANCE_DATA\\]"
              "[Не удалось создать ключ HKEY_PERFORMANCE_DATA\\sub]");
    ExpectValue(key.Path(), "v", REG_SZ, BytesOf(std::string("v", 2)));
}
