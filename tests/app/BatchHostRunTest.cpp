// The batch on this PC under Wine: what the system host reads from the registry, and a
// planted "attrib.bat" in the batch's working directory, which must not run.
#include "AppTestSupport.h"
#include "BatchHost.h"
#include "CleanUpBatch.h"

using namespace apptest;

namespace {

// Sets (value != 0) or deletes a REG_DWORD or REG_SZ value under HKEY_CURRENT_USER, in
// the 64-bit view; the test restores nothing else.
bool SetUserValue(const wchar_t* key, const wchar_t* name, DWORD value, const wchar_t* text = nullptr)
{
    HKEY handle;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc;
    if (text)
        rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    else if (value)
        rc = RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    else if ((rc = RegDeleteValueW(handle, name)) == ERROR_FILE_NOT_FOUND)
        rc = ERROR_SUCCESS;
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

const wchar_t* const CONSOLE = L"Console";
const wchar_t* const CMD_CONSOLE = L"Console\\%SystemRoot%_System32_cmd.exe";
const wchar_t* const PROCESSOR = L"Software\\Microsoft\\Command Processor";

// A host that does not look for planted commands: the batch a PC without the check gets.
class BlindHost : public SystemBatchHost {
public:
    bool HoldsCommand(const char*, const char*) const override { return false; }
};

} // namespace

TEST(BatchHostOnThisPc, ReadsTheConsoleCodePagesAndAnAutoRunFromTheRegistry)
{
    const struct {
        DWORD console, cmd;
        const wchar_t* autoRun;
        unsigned int newConsole;
        bool chcp;
    } cases[] = {
        {0, 0, nullptr, GetOEMCP(), false},
        {65001, 0, nullptr, 65001, true},
        {65001, GetOEMCP(), nullptr, GetOEMCP(), false},
        {0, 0, L"chcp 65001", GetOEMCP(), true},
        {0, 0, L"", GetOEMCP(), false},   // an empty AutoRun runs nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.console) + " " + std::to_string(c.cmd));
        ASSERT_TRUE(SetUserValue(CONSOLE, L"CodePage", c.console));
        ASSERT_TRUE(SetUserValue(CMD_CONSOLE, L"CodePage", c.cmd));
        ASSERT_TRUE(SetUserValue(PROCESSOR, L"AutoRun", 0, c.autoRun));
        ConsoleCodePageSettings s = SystemBatchHost().ConsoleSettings();
        EXPECT_EQ(GetOEMCP(), s.oemCodePage);
        EXPECT_EQ(c.newConsole, NewConsoleCodePage(s));
        EXPECT_EQ(c.chcp, BatchChcpCodePage(s) != 0);
        if (!c.autoRun) continue;
        ASSERT_TRUE(SetUserValue(PROCESSOR, L"AutoRun", 0));
    }
    EXPECT_TRUE(SetUserValue(CONSOLE, L"CodePage", 0));
    EXPECT_TRUE(SetUserValue(CMD_CONSOLE, L"CodePage", 0));
}

// cmd looks for "attrib" in its working directory (%TEMP%) before PATH. Wine's cmd ignores
// the variable that stops this on Windows, so what keeps a planted file from running here
// is the full path the batch then names.
TEST(BatchHostOnThisPc, APlantedAttribInTheWorkingDirectoryDoesNotRun)
{
    char tempPath[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, tempPath));
    const std::string root = std::string(tempPath) + "zv-planted-" + std::to_string(GetCurrentProcessId());
    const struct {
        bool looks;      // the host looks for planted commands
        bool planted;    // so the planted file runs
    } cases[] = {{true, false}, {false, true}};
    // As the clean-up sets it before the batch starts (Wine's cmd ignores it: the host's own guard counts).
    ASSERT_TRUE(SetEnvironmentVariableA(NO_CURRENT_DIRECTORY_SEARCH, "1"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.looks ? "the host looks" : "a blind host");
        RemoveTree(root);
        const std::string temp = root + "\\temp", start = root + "\\start", marker = root + "\\planted.txt";
        ASSERT_TRUE(MakeDirs(temp) && MakeDirs(start + "\\sub"));
        ASSERT_TRUE(WriteBytes(temp + "\\attrib.bat", "@echo planted> \"" + marker + "\"\r\n"));
        ASSERT_TRUE(WriteBytes(temp + "\\kept.txt", "x") && WriteBytes(start + "\\sub\\f.txt", "x"));
        ASSERT_TRUE(SetFileAttributesA((temp + "\\kept.txt").c_str(), FILE_ATTRIBUTE_READONLY));
        CleanUpBatch batch = c.looks ? BuildCleanUpBatch("Tresoria", temp.c_str(), start.c_str(), "", "", SystemBatchHost())
                                     : BuildCleanUpBatch("Tresoria", temp.c_str(), start.c_str(), "", "", BlindHost());
        ASSERT_TRUE(batch.oemOk);
        ASSERT_TRUE(WriteBytes(temp + "\\remove.bat", batch.oemText.str()));
        ChildStart hidden;
        hidden.workDir = temp;
        hidden.show = SW_HIDE;
        EXPECT_LT(RunChild(batch.startCommand.str(), hidden, 30000), CHILD_HUNG) << "the batch did not start or end";
        EXPECT_EQ(c.planted, Exists(marker)) << batch.text.str();
        if (!c.planted) {
            EXPECT_FALSE(GetFileAttributesA((temp + "\\kept.txt").c_str()) & FILE_ATTRIBUTE_READONLY)
                << "the system's attrib ran";
            EXPECT_FALSE(Exists(start + "\\sub\\f.txt")) << "the batch went on";
        }
        SetFileAttributesA((temp + "\\kept.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SetEnvironmentVariableA(NO_CURRENT_DIRECTORY_SEARCH, nullptr);
    RemoveTree(root);
}
