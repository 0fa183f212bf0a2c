// The two builds of ZevDevDll.dll, each loaded from a folder of its own with files beside
// it: the shipped one (bin/shipped, no scenario back-end) asks the device tree whatever
// scenario it is offered; the test build plays the scenario beside it, answers no device
// when the one there cannot be read, and asks the device tree when there is none.
#include "FileBytes.h"
#include "Occurrences.h"
#include "ProductFacts.h"
#include "RegisteredDevice.h"
#include "TempDir.h"
#include "ZevDevSim.h"
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

namespace {

#define CMD_41 "eject \"" ZV_EJECT_PATTERN_2 "\""
const char EJECTED_SCENARIO[] = "command " CMD_41 "\npass\n"
                                "output played\\r\\ndevice_s_ejected=1\\r\\n\ninfo EJECTED\nrepeat\n";
const char NO_DEVICE[] = CMD_41 "\r\nno matching device found\r\ndevice_s_ejected=0\r\n";

std::string BinFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\') + 1);
}

template <typename Function> Function Proc(FARPROC proc)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

// A copy of one build of the library in `dir`, loaded from there and freed again.
class LoadedLibrary {
public:
    LoadedLibrary(const std::string& source, const TempDir& dir) : m_path(dir.path("ZevDevDll.dll"))
    {
        EXPECT_TRUE(CopyFileA(source.c_str(), m_path.c_str(), FALSE)) << source;
        m_module = LoadLibraryA(m_path.c_str());
        EXPECT_NE(nullptr, m_module) << m_path;
    }
    ~LoadedLibrary()
    {
        if (m_module) FreeLibrary(m_module);
        DeleteFileA(m_path.c_str());
    }
    FARPROC proc(const char* name) const { return m_module ? GetProcAddress(m_module, name) : nullptr; }

    // The command's output and its device record 0, through the exports the program imports.
    std::string Run(const char* command) const
    {
        auto create = Proc<ZDHANDLE (*)()>(proc("ZDAPI_CreateHandle"));
        auto exec = Proc<int (*)(ZDHANDLE, unsigned long, const char*)>(proc("ZDAPI_ZevDevExec"));
        auto output = Proc<int (*)(ZDHANDLE, char*, unsigned long, unsigned long*)>(proc("ZDAPI_GetOutput"));
        auto parse = Proc<int (*)(ZDHANDLE, unsigned long)>(proc("ZDAPI_ParseCurrentOutput"));
        auto info = Proc<int (*)(ZDHANDLE, int, const char*, char*, unsigned long, unsigned long*)>(
            proc("ZDAPI_GetDeviceInfo"));
        auto close = Proc<int (*)(ZDHANDLE*)>(proc("ZDAPI_CloseHandle"));
        if (!create || !exec || !output || !parse || !info || !close) return "(missing exports)";
        ZDHANDLE h = create();
        exec(h, 0, command);
        std::string buffer(16000, '\0');
        unsigned long length = 0;
        output(h, &buffer[0], 16000, &length);
        std::string report = buffer.c_str();
        parse(h, 0);
        info(h, 0, "info", &buffer[0], 16000, &length);
        report += "info=" + std::string(buffer.c_str());
        close(&h);
        return report;
    }

private:
    std::string m_path;
    HMODULE m_module = nullptr;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class LibraryBuilds : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_token.ok());
        SetEnvironmentVariableA("ZEVDEV_SCENARIO", nullptr);
        SetEnvironmentVariableA("ZEVDEV_JOURNAL", m_dir.path("journal.txt").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("ZEVDEV_SCENARIO", nullptr);
        SetEnvironmentVariableA("ZEVDEV_JOURNAL", nullptr);
    }
    std::string Journal() const { return ReadBytes(m_dir.path("journal.txt")); }

    TempDir m_dir{"zevdev_builds"};
    RegisteredDevice m_token{"VID_3E7A&PID_4107", "ZVSHIP01", {L"USB\\VID_3E7A&PID_4107"}, L"Vaultik"};
    const std::string m_treeAnswer = "1 device(s) found\r\ndevice 0: USB\\VID_3E7A&PID_4107\\ZVSHIP01 EJECTED\r\n"
                                     "device_s_ejected=1\r\ninfo=EJECTED";
};

} // namespace

TEST_F(LibraryBuilds, ShippedLibraryAsksTheDeviceTreeWhateverScenarioItIsOffered)
{
    ASSERT_TRUE(WriteBytes(m_dir.path("scenario.txt"), EJECTED_SCENARIO));
    ASSERT_TRUE(WriteBytes(m_dir.path("zevdev-scenario.txt"), EJECTED_SCENARIO));
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", m_dir.path("scenario.txt").c_str());
    {
        LoadedLibrary shipped(BinFolder() + "shipped\\ZevDevDll.dll", m_dir);
        EXPECT_EQ(m_treeAnswer, shipped.Run(CMD_41)) << "the registered token was asked, no scenario played";
        for (const char* hook : {"ZDSIM_Reset", "ZDSIM_GetJournal", "ZDSIM_SetExecHook"})
            EXPECT_EQ(nullptr, shipped.proc(hook)) << hook << " is a test hook";
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_dir.path("journal.txt").c_str()))
        << "the shipped library keeps no journal: " << Journal();

    // Nothing of the scenario back-end or the journal is in the file (its debug information
    // included): not their texts, not the variables' names, not the statements' reader.
    std::string bytes = Lower(ReadBytes(BinFolder() + "shipped\\ZevDevDll.dll"));
    ASSERT_FALSE(bytes.empty());
    for (const char* text : {"scenario", "unescape", "zevdev_journal", "zdapi_getoutput\t"})
        EXPECT_EQ(std::string::npos, bytes.find(text)) << text;
}

TEST_F(LibraryBuilds, TestLibraryPlaysTheScenarioBesideItAndNeverFallsThrough)
{
    std::string beside = m_dir.path("zevdev-scenario.txt");
    {
        ASSERT_TRUE(WriteBytes(beside, EJECTED_SCENARIO));
        LoadedLibrary test(BinFolder() + "ZevDevDll.dll", m_dir);
        EXPECT_EQ("played\r\ndevice_s_ejected=1\r\ninfo=EJECTED", test.Run(CMD_41));
        EXPECT_EQ(0u, Journal().find("# scenario " + beside + "\r\n")) << Journal();
    }
    DeleteFileA(beside.c_str());
    DeleteFileA(m_dir.path("journal.txt").c_str());
    {
        // There but not readable (a folder of that name): no device, and the journal says why.
        ASSERT_TRUE(CreateDirectoryA(beside.c_str(), nullptr));
        LoadedLibrary test(BinFolder() + "ZevDevDll.dll", m_dir);
        EXPECT_EQ(std::string(NO_DEVICE) + "info=", test.Run(CMD_41));
        EXPECT_EQ(0u, Journal().find("# scenario " + beside + " unreadable, error 5 (")) << Journal();
    }
    RemoveDirectoryA(beside.c_str());
    DeleteFileA(m_dir.path("journal.txt").c_str());
    {
        LoadedLibrary test(BinFolder() + "ZevDevDll.dll", m_dir);
        EXPECT_EQ(m_treeAnswer, test.Run(CMD_41)) << "no scenario: the device tree";
        EXPECT_EQ(0u, Journal().find("# no scenario: " + beside + ", the device tree answers\r\n")) << Journal();
    }
}
