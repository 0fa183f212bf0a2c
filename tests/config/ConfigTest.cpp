// The settings store against real registry keys under HKEY_LOCAL_MACHINE. The product
// only reads; the tests write keys of their own and remove them afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <zvcrypt/Blob.h>
#include <zvcrypt/Config.h>
#include "RegistryKey.h"

using zvcrypt::Blob;
using zvcrypt::Config;
using zvcrypt::ConfigEntry;

namespace {
std::string keyPath(const char* leaf)
{
    return "Software\\Zevtron Systems\\ZvConfigTest" + std::to_string(GetCurrentProcessId()) +
           "\\" + leaf;
}

// The stored text of a value, as the logger would read it.
std::wstring textOf(const Config& store, const char* name)
{
    Blob value;
    return store.getValue(name, value) ? value.getWString() : L"<missing>";
}
} // namespace

TEST(ConfigStore, NumbersComeFromDwordValuesOnlyWhateverTheCaseOfTheName)
{
    RegistryKey key(keyPath("numbers"));
    ASSERT_TRUE(key.ok());
    key.dword(L"LogLevel", 3);
    key.dword(L"Mask", 0x09000000);
    key.text(L"TextLevel", L"3");
    key.dword(L"Trailing ", 1);
    key.dword(L"Deep", 5, L"Sub");  // subkeys are not read

    Config store;
    ASSERT_TRUE(store.load(key.path()));
    struct Case { const char* name; bool found; unsigned long value; };
    const Case cases[] = {{"LogLevel", true, 3},  {"LOGLEVEL", true, 3},   {"loglevel", true, 3},
                          {"mask", true, 0x09000000}, {"TextLevel", true, 0},  // text is no number
                          {"Trailing", false, 42}, {"TRAILING ", true, 1},  {"", false, 42},
                          {nullptr, false, 42},    {"Deep", false, 42},     {"Log", false, 42},
                          {"loglevel=0", true, 3}};  // the name ends at '='
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        unsigned long v = 42;
        EXPECT_EQ(c.found, store.getValue(c.name, v));
        EXPECT_EQ(c.value, v);
    }
    Blob raw;
    ASSERT_TRUE(store.getValue("Mask", raw));  // 4 bytes in host order
    EXPECT_STREQ("00000009", raw.toHex());
    ConfigEntry query("LogLevel"), text("textlevel");
    ASSERT_TRUE(store.find(query) && store.find(text));
    EXPECT_EQ(4ul, query.getType());
    EXPECT_EQ(1ul, text.getType());
    EXPECT_STREQ(key.path(), query.getSection().getString());
}

TEST(ConfigStore, OnlyTheFirstVariableOfATextIsExpandedOtherTypesStayAsRead)
{
    RegistryKey key(keyPath("expand"));
    ASSERT_TRUE(key.ok());
    wchar_t buffer[1024] = {};
    GetEnvironmentVariableW(L"TEMP", buffer, 1024);
    const std::wstring temp = buffer;
    ASSERT_FALSE(temp.empty());
    struct Case { const wchar_t* name; std::wstring stored, read; };
    const Case cases[] = {{L"Dir", L"%TEMP%\\logs", temp + L"\\logs"},
                          {L"Single", L"50% off", L"50% off"},
                          {L"Unset", L"a%ZV_CONFIG_TEST_UNSET_VARIABLE%b", L"ab"},
                          {L"Two", L"%TEMP%;%TEMP%", temp + L";%TEMP%"},
                          {L"Middle", L"x%TEMP%y%", L"x" + temp + L"y%"},
                          {L"Empty", L"%%rest", L"rest"},
                          {L"Long", std::wstring(3000, L'x'), std::wstring(3000, L'x')}};
    for (const Case& c : cases)
        key.text(c.name, c.stored);
    key.text(L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ);
    key.bytes(L"Bin", {0x01, 0xAB, 0x00, 0x7F, 0x10});

    Config store;
    ASSERT_TRUE(store.load(key.path()));
    for (const Case& c : cases) {
        std::string name(c.name, c.name + wcslen(c.name));
        SCOPED_TRACE(name);
        EXPECT_EQ(c.read, textOf(store, name.c_str()));
    }
    EXPECT_EQ(L"%TEMP%\\x", textOf(store, "expand"));  // another type: as read, type 4
    ConfigEntry query("Expand");
    ASSERT_TRUE(store.find(query));
    EXPECT_EQ(4ul, query.getType());
    Blob bin;
    ASSERT_TRUE(store.getValue("bin", bin));
    EXPECT_STREQ("01AB007F10", bin.toHex());
}

TEST(ConfigStore, ReloadReplacesAMissingKeyEmptiesANullNameKeeps)
{
    RegistryKey first(keyPath("first")), second(keyPath("second"));
    ASSERT_TRUE(first.ok() && second.ok());
    first.dword(L"OnlyFirst", 1);
    second.dword(L"Shared", 20);

    Config store;
    ASSERT_TRUE(store.load(first.path()));
    EXPECT_FALSE(store.load(nullptr));
    unsigned long v = 0;
    EXPECT_TRUE(store.getValue("OnlyFirst", v));  // a null name changed nothing
    ASSERT_TRUE(store.load(second.path()));
    EXPECT_EQ(1u, store.getCount());
    EXPECT_FALSE(store.getValue("OnlyFirst", v));
    EXPECT_TRUE(store.getValue("Shared", v));

    ASSERT_TRUE(store.load(keyPath("gone").c_str()));
    EXPECT_EQ(0u, store.getCount());
    Blob b("untouched");  // failed lookups leave the outputs alone
    EXPECT_FALSE(store.getValue("Shared", v) || store.getValue("Shared", b));
    EXPECT_EQ(20ul, v);
    EXPECT_STREQ("untouched", b.getString());
}
