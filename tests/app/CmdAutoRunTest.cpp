// The AutoRun probe against the prefix's registry: a value in HKCU or in either view of
// HKLM is found, an empty one is not; with one set, the clean-up batch, started through
// the system folder's cmd with "/d", still runs to its end. Every value is removed again.
#include "BatchStart.h"
#include "CleanUpInTemp.h"
#include "TempDir.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

const wchar_t* const KEY = L"Software\\Microsoft\\Command Processor";

// An AutoRun value for the time of a test.
class AutoRun {
public:
    AutoRun(HKEY root, REGSAM view, const wchar_t* command) : m_root(root), m_view(view)
    {
        HKEY key;
        if (RegCreateKeyExW(root, KEY, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        m_set = RegSetValueExW(key, L"AutoRun", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                               static_cast<DWORD>((wcslen(command) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~AutoRun()
    {
        HKEY key;
        if (RegOpenKeyExW(m_root, KEY, 0, KEY_SET_VALUE | m_view, &key) != ERROR_SUCCESS) return;
        RegDeleteValueW(key, L"AutoRun");
        RegCloseKey(key);
    }
    bool IsSet() const { return m_set; }

private:
    HKEY m_root;
    REGSAM m_view;
    bool m_set = false;
};

std::string Found()
{
    std::string all;
    for (const CString& where : CmdAutoRunValues()) all += where.str() + "|";
    return all;
}

} // namespace

TEST(CmdAutoRun, IsFoundInEitherHiveAndEitherView)
{
    ASSERT_EQ("", Found()) << "the prefix holds an AutoRun value already";
    {
        AutoRun user(HKEY_CURRENT_USER, 0, L"cd /d %USERPROFILE%");
        ASSERT_TRUE(user.IsSet());
        EXPECT_EQ("HKCU|", Found());
    }
    {
        AutoRun machine32(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"echo planted");
        ASSERT_TRUE(machine32.IsSet());
        EXPECT_EQ("HKLM (32-bit view)|", Found());
    }
    {
        AutoRun machine64(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"chcp 65001");
        ASSERT_TRUE(machine64.IsSet());
        EXPECT_EQ("HKLM (64-bit view)|", Found());
    }
    {
        AutoRun empty(HKEY_CURRENT_USER, 0, L"");
        ASSERT_TRUE(empty.IsSet());
        EXPECT_EQ("", Found()) << "an empty value runs nothing";
    }
    EXPECT_EQ("", Found());
}

TEST(CmdAutoRun, WithAValueSetTheBatchStillRunsToItsEnd)
{
    TempDir temp("zvautorun");
    AutoRun user(HKEY_CURRENT_USER, 0, L"cd /d %USERPROFILE%");
    ASSERT_TRUE(user.IsSet());
    EXPECT_EQ(CLEANUP_STARTED, RunCleanUpIn(temp.dir()));
    EXPECT_TRUE(BatchRanToItsEnd(temp.dir()));
}

TEST(DefaultTerminal, IsDelegatedOnlyWhenAnotherTerminalIsNamed)
{
    const struct {
        const wchar_t* console;   // DelegationConsole; null: no value
        bool delegated;
    } cases[] = {
        {nullptr, false},
        {L"{00000000-0000-0000-0000-000000000000}", false},   // let Windows decide
        {L"{B23D10C0-E52E-411E-9D5B-C09FDF709C7D}", false},   // the console window
        {L"{2EACA947-7F5F-4CFA-BA87-8F7FBEEFBE69}", true},    // Windows Terminal
    };
    for (const auto& c : cases) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Console\\%%Startup", 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &key, nullptr));
        if (c.console)
            RegSetValueExW(key, L"DelegationConsole", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.console),
                           static_cast<DWORD>((wcslen(c.console) + 1) * sizeof(wchar_t)));
        EXPECT_EQ(c.delegated, DefaultTerminalDelegated()) << (c.console ? "set" : "none");
        RegDeleteValueW(key, L"DelegationConsole");
        RegCloseKey(key);
    }
}
