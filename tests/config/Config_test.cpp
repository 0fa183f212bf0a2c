// The settings store against real registry keys under HKEY_LOCAL_MACHINE. The product
// only reads; the tests write their own keys and remove them afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <zvcrypt/Blob.h>
#include <zvcrypt/Config.h>

using zvcrypt::Blob;
using zvcrypt::Config;
using zvcrypt::ConfigEntry;

namespace {

std::wstring wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// A registry key of the test's own, filled value by value.
class RegistryKey {
public:
    explicit RegistryKey(const std::string& path) : mPath(path)
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, wide(path).c_str());
        LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, wide(path).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &mKey, nullptr);
        if (rc != ERROR_SUCCESS)
            mKey = nullptr;
    }
    ~RegistryKey()
    {
        if (mKey)
            RegCloseKey(mKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, wide(mPath).c_str());
    }
    bool ok() const { return mKey != nullptr; }
    const char* path() const { return mPath.c_str(); }

    void dword(const wchar_t* name, DWORD v)
    {
        RegSetValueExW(mKey, name, 0, REG_DWORD, (const BYTE*)&v, sizeof v);
    }
    void text(const wchar_t* name, const std::wstring& v, DWORD type = REG_SZ)
    {
        RegSetValueExW(mKey, name, 0, type, (const BYTE*)v.c_str(),
                       (DWORD)((v.size() + 1) * sizeof(wchar_t)));
    }
    void bytes(const wchar_t* name, const std::vector<BYTE>& v)
    {
        RegSetValueExW(mKey, name, 0, REG_BINARY, v.data(), (DWORD)v.size());
    }
    void subkeyValue(const wchar_t* sub, const wchar_t* name, DWORD v)
    {
        HKEY h;
        if (RegCreateKeyExW(mKey, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExW(h, name, 0, REG_DWORD, (const BYTE*)&v, sizeof v);
            RegCloseKey(h);
        }
    }

private:
    std::string mPath;
    HKEY mKey = nullptr;
};

std::string testKeyPath(const char* leaf)
{
    return std::string("Software\\Zevtron Systems\\ZvConfigTest") +
           std::to_string(GetCurrentProcessId()) + "\\" + leaf;
}

std::wstring environment(const wchar_t* name)
{
    wchar_t buf[1024] = {};
    GetEnvironmentVariableW(name, buf, 1024);
    return buf;
}

// The stored text of a value, as the logger would read it.
std::wstring textOf(const Config& store, const char* key)
{
    Blob value;
    if (!store.getValue(key, value))
        return L"<missing>";
    return value.getWString();
}

} // namespace

TEST(ConfigStore, NumbersComeFromDwordValuesOnlyWhateverTheCase)
{
    RegistryKey key(testKeyPath("numbers"));
    ASSERT_TRUE(key.ok());
    key.dword(L"LogLevel", 3);
    key.dword(L"Mask", 0x09000000);
    key.text(L"TextLevel", L"3");
    key.text(L"LogFile", L"C:\\logs\\app.log");

    Config store;
    ASSERT_TRUE(store.load(key.path()));
    EXPECT_EQ(4u, store.getCount());
    for (const char* name : {"LogLevel", "LOGLEVEL", "loglevel"}) {
        unsigned long v = 0;
        EXPECT_TRUE(store.getValue(name, v)) << name;
        EXPECT_EQ(3ul, v) << name;
    }
    unsigned long v = 0;
    EXPECT_TRUE(store.getValue("mask", v));
    EXPECT_EQ(0x09000000ul, v);  // no byte swapping on the way
    Blob raw;
    ASSERT_TRUE(store.getValue("Mask", raw));  // 4 bytes in host order
    ASSERT_EQ(4ul, raw.getLength());
    EXPECT_EQ(0x09000000ul, *(const unsigned long*)raw.getData());

    // A number stored as text is no number, but reads back as wide text.
    v = 77;
    EXPECT_TRUE(store.getValue("TextLevel", v));
    EXPECT_EQ(0ul, v);
    EXPECT_EQ(L"3", textOf(store, "textlevel"));
    Blob file;
    ASSERT_TRUE(store.getValue("LOGFILE", file));
    EXPECT_TRUE(file.getFormat() & zvcrypt::BLOB_WCHAR);
    EXPECT_STREQ("C:\\logs\\app.log", file.getString());

    ConfigEntry query("LogLevel");
    ASSERT_TRUE(store.find(query));
    EXPECT_EQ(4ul, query.getType());
    EXPECT_STREQ(key.path(), query.getSection().getString());
    ConfigEntry text("logfile");
    ASSERT_TRUE(store.find(text));
    EXPECT_EQ(1ul, text.getType());
}

TEST(ConfigStore, OnlyTheFirstVariableOfATextIsExpandedOtherTypesStayAsRead)
{
    RegistryKey key(testKeyPath("expand"));
    ASSERT_TRUE(key.ok());
    const std::wstring temp = environment(L"TEMP");
    ASSERT_FALSE(temp.empty());
    key.text(L"Dir", L"%TEMP%\\logs");
    key.text(L"Single", L"50% off");
    key.text(L"Unset", L"a%ZV_CONFIG_TEST_UNSET_VARIABLE%b");
    key.text(L"Two", L"%TEMP%;%TEMP%");
    key.text(L"Middle", L"x%TEMP%y%");
    key.text(L"Empty", L"%%rest");
    key.text(L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ);
    key.bytes(L"Bin", {0x01, 0xAB, 0x00, 0x7F, 0x10});

    Config store;
    ASSERT_TRUE(store.load(key.path()));
    EXPECT_EQ(temp + L"\\logs", textOf(store, "dir"));
    EXPECT_EQ(L"50% off", textOf(store, "single"));
    EXPECT_EQ(L"ab", textOf(store, "unset"));
    EXPECT_EQ(temp + L";%TEMP%", textOf(store, "two"));
    EXPECT_EQ(L"x" + temp + L"y%", textOf(store, "middle"));
    EXPECT_EQ(L"rest", textOf(store, "empty"));

    // Another type stays as read, unexpanded, and counts as type 4.
    EXPECT_EQ(L"%TEMP%\\x", textOf(store, "expand"));
    ConfigEntry query("Expand");
    ASSERT_TRUE(store.find(query));
    EXPECT_EQ(4ul, query.getType());
    Blob bin;
    ASSERT_TRUE(store.getValue("bin", bin));
    EXPECT_STREQ("01AB007F10", bin.toHex());
}

TEST(ConfigStore, NamesMatchWithoutCaseButOtherwiseExactly)
{
    RegistryKey key(testKeyPath("names"));
    ASSERT_TRUE(key.ok());
    key.dword(L"Trailing ", 1);
    key.dword(L"", 9);  // the key's default value
    key.dword(L"ShowPid", 1);
    key.subkeyValue(L"Sub", L"Deep", 5);

    Config store;
    ASSERT_TRUE(store.load(key.path()));
    unsigned long v = 42;
    EXPECT_FALSE(store.getValue("Trailing", v));
    EXPECT_TRUE(store.getValue("TRAILING ", v));
    EXPECT_EQ(1ul, v);
    v = 42;
    EXPECT_FALSE(store.getValue("", v));
    EXPECT_FALSE(store.getValue(nullptr, v));
    EXPECT_FALSE(store.getValue("Deep", v));  // subkeys are not read
    EXPECT_FALSE(store.getValue("Show", v));
    EXPECT_EQ(42ul, v);
    EXPECT_TRUE(store.getValue("showpid=0", v));  // the name ends at '='
    EXPECT_EQ(1ul, v);

    ConfigEntry empty;
    EXPECT_FALSE(store.find(empty));
}

TEST(ConfigStore, LoadReplacesMissingKeyEmptiesNullNameKeeps)
{
    RegistryKey first(testKeyPath("first"));
    RegistryKey second(testKeyPath("second"));
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    first.dword(L"OnlyFirst", 1);
    first.dword(L"Shared", 10);
    second.dword(L"Shared", 20);

    Config store;
    ASSERT_TRUE(store.load(first.path()));
    EXPECT_FALSE(store.load(nullptr));
    unsigned long v = 0;
    EXPECT_TRUE(store.getValue("OnlyFirst", v));  // a null name changed nothing
    EXPECT_STREQ(first.path(), store.getSection().getString());

    ASSERT_TRUE(store.load(second.path()));
    EXPECT_EQ(1u, store.getCount());
    EXPECT_FALSE(store.getValue("OnlyFirst", v));
    EXPECT_TRUE(store.getValue("Shared", v));
    EXPECT_EQ(20ul, v);

    // A missing key empties the store; failed lookups leave the outputs alone.
    ASSERT_TRUE(store.load(testKeyPath("gone").c_str()));
    EXPECT_EQ(0u, store.getCount());
    Blob b("untouched");
    EXPECT_FALSE(store.getValue("Shared", v));
    EXPECT_FALSE(store.getValue("Shared", b));
    EXPECT_EQ(20ul, v);
    EXPECT_STREQ("untouched", b.getString());
}

TEST(ConfigStore, LongValuesAreReadWhole)
{
    RegistryKey key(testKeyPath("long"));
    ASSERT_TRUE(key.ok());
    std::wstring longText(3000, L'x');
    longText += L"end";
    std::wstring longName(300, L'n');
    key.text(L"Long", longText);
    key.dword(longName.c_str(), 5);

    Config store;
    ASSERT_TRUE(store.load(key.path()));
    EXPECT_EQ(longText, textOf(store, "long"));
    unsigned long v = 0;
    EXPECT_TRUE(store.getValue(std::string(300, 'N').c_str(), v));
    EXPECT_EQ(5ul, v);
}
