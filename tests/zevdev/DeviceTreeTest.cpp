// The device-tree back-end end to end under Wine: tokens and near misses registered in the
// prefix, asked through the library's exports, the support command and the program itself.
// (Wine's eject request always succeeds; refusals are covered through the seam.)
#include "ChildProcess.h"
#include "RegisteredDevice.h"
#include "RemoveManager.h"
#include "FileBytes.h"
#include "Occurrences.h"
#include "TempDir.h"
#include "ZevDevSim.h"
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const char CMD_41[] = EJECT_COMMAND_2;
const char CMD_40[] = EJECT_COMMAND_1;
const char SETTINGS_KEY[] = ZV_SETTINGS_KEY;

std::string Journal()
{
    std::string text(ZDSIM_GetJournal(nullptr, 0) + 1, '\0');
    text.resize(ZDSIM_GetJournal(&text[0], static_cast<unsigned long>(text.size())));
    return text;
}

class PrefixDeviceTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("ZEVDEV_SCENARIO", nullptr);
        SetEnvironmentVariableA("ZEVDEV_JOURNAL", nullptr);
        ZDSIM_Reset();
        for (const RegisteredDevice* d : {&m_token, &m_otherCase, &m_pid40, &m_otherVendor}) ASSERT_TRUE(d->ok());
    }
    void TearDown() override { ZDSIM_Reset(); }

    // What one command reports: its output and every device record's text.
    std::string Run(const std::string& command, int* execResult = nullptr)
    {
        ZDHANDLE h = ZDAPI_CreateHandle();
        int rc = ZDAPI_ZevDevExec(h, 0, command.c_str());
        if (execResult) *execResult = rc;
        std::string buffer(16000, 'x');
        unsigned long length = 0;
        ZDAPI_GetOutput(h, &buffer[0], 16000, &length);
        std::string report = buffer.c_str();
        EXPECT_EQ(report.size(), length);
        ZDAPI_ParseCurrentOutput(h, 0);
        for (int i = 0; ZDAPI_GetDevice(h, i, &buffer[0], 16000, &length) == ZD_OK; ++i)
            report += "--\r\n" + std::string(buffer.c_str());
        EXPECT_EQ(ZD_OK, ZDAPI_CloseHandle(&h));
        return report;
    }

    RegisteredDevice m_token{"VID_3E7A&PID_4107", "ZVTEST01",
                             {L"USB\\VID_3E7A&PID_4107&REV_0100", L"USB\\VID_3E7A&PID_4107"}, L"Vaultik"};
    RegisteredDevice m_otherCase{"Vid_3e7a&Pid_4108", "zvtest02", {L"usb\\vid_3e7a&pid_4108"}, L"Vaultik 2"};
    RegisteredDevice m_pid40{"VID_3E7A&PID_4001", "ZVTEST03", {L"USB\\VID_3E7A&PID_4001"}, L"Vaultik Classic"};
    RegisteredDevice m_otherVendor{"VID_3E7B&PID_4107", "ZVTEST04", {L"USB\\VID_3E7B&PID_4107"}, L"Other stick"};
};

std::string Record(const char* instanceId, const char* hardwareId, const char* description)
{
    return std::string("--\r\ninfo=EJECTED\r\nerror=CR_SUCCESS\r\nveto_type=PNP_VetoTypeUnknown\r\nveto_name=\r\n") +
           "instance_id=" + instanceId + "\r\nhardware_id=" + hardwareId + "\r\ndescription=" + description + "\r\n";
}

} // namespace

TEST_F(PrefixDeviceTree, EachCommandFindsItsTokensOnlyAndReportsThemWhole)
{
    int rc = -99;
    EXPECT_EQ("2 device(s) found\r\n"
              "device 0: USB\\VID_3E7A&PID_4107\\ZVTEST01 EJECTED\r\n"
              "device 1: USB\\VID_3E7A&PID_4108\\ZVTEST02 EJECTED\r\n"
              "device_s_ejected=2\r\n" +
                  Record("USB\\VID_3E7A&PID_4107\\ZVTEST01", "USB\\VID_3E7A&PID_4107&REV_0100", "Vaultik") +
                  Record("USB\\VID_3E7A&PID_4108\\ZVTEST02", "usb\\vid_3e7a&pid_4108", "Vaultik 2"),
              Run(CMD_41, &rc));
    EXPECT_EQ(ZD_OK, rc);
    EXPECT_EQ("1 device(s) found\r\ndevice 0: USB\\VID_3E7A&PID_4001\\ZVTEST03 EJECTED\r\ndevice_s_ejected=1\r\n" +
                  Record("USB\\VID_3E7A&PID_4001\\ZVTEST03", "USB\\VID_3E7A&PID_4001", "Vaultik Classic"),
              Run(CMD_40));
    EXPECT_EQ("eject \"usb\\vid_3e7a&pid_4107\\zvtest99\"\r\nno matching device found\r\ndevice_s_ejected=0\r\n",
              Run("eject \"usb\\vid_3e7a&pid_4107\\zvtest99\""));
    std::string journal = Journal();
    EXPECT_EQ(0u, journal.find("# no scenario: ")) << journal;
    EXPECT_EQ(3u, Occurrences(journal, "ZDAPI_ZevDevExec\t"));
}

TEST_F(PrefixDeviceTree, BadCommandsAndSmallBuffersAreAnsweredSafely)
{
    for (const char* command : {"eject \"usb\\vid_3e7a&pid_41*", "eject \"\"", "eject", "list usb*"}) {
        int rc = 0;
        EXPECT_EQ("unknown command: " + std::string(command) + "\r\n", Run(command, &rc));
        EXPECT_EQ(ZD_E_COMMAND, rc) << command;
    }

    ZDHANDLE h = ZDAPI_CreateHandle();
    ZDAPI_ZevDevExec(h, 0, CMD_41);
    char small[8];
    memset(small, 'x', sizeof small);
    unsigned long length = 0;
    EXPECT_EQ(ZD_E_TRUNCATED, ZDAPI_GetOutput(h, small, sizeof small, &length));
    EXPECT_STREQ("2 devic", small);
    EXPECT_EQ(std::string(Run(CMD_41)).find("--"), length) << "the full length, for a second call";
    ZDAPI_ParseCurrentOutput(h, 0);
    EXPECT_EQ(ZD_E_TRUNCATED, ZDAPI_GetDeviceInfo(h, 0, "instance_id", small, sizeof small, &length));
    EXPECT_STREQ("USB\\VID", small);
    EXPECT_EQ(strlen("USB\\VID_3E7A&PID_4107\\ZVTEST01"), length);
    EXPECT_EQ(ZD_E_NODEVICE, ZDAPI_GetDevice(h, 2, small, sizeof small, &length));
    EXPECT_STREQ("", small);
    EXPECT_EQ(ZD_E_ARGUMENT, ZDAPI_GetOutput(h, nullptr, 0, &length));
    EXPECT_EQ(ZD_OK, ZDAPI_CloseHandle(&h));
}

// A scenario found by a long path (longer than two MAX_PATHs, "\." steps the system folds
// away) still answers: the device tree with its registered tokens must not.
TEST_F(PrefixDeviceTree, ScenarioNamedByALongPathStillAnswers)
{
    TempDir dir("zevdev_longpath");
    ASSERT_TRUE(WriteBytes(dir.path("scenario.txt"),
                           std::string("command ") + CMD_41 + "\npass\noutput played\\r\\n\ninfo EJECTED\n"));
    std::string path = dir.dir();
    while (path.size() < 2 * MAX_PATH + 10) path += "\\.";
    path += "\\scenario.txt";
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", path.c_str());
    std::string report = Run(CMD_41);
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", nullptr);
    EXPECT_EQ("played\r\n--\r\ninfo=EJECTED\r\n", report);
    EXPECT_EQ(0u, Journal().find("# scenario " + path + "\n")) << Journal();
}

// A scenario that is named but cannot be read answers as if no device were there, and says
// why: a typo in a test's path must never let the registered tokens be ejected.
TEST_F(PrefixDeviceTree, NamedScenarioThatCannotBeReadAnswersNoDevice)
{
    TempDir dir("zevdev_unreadable");
    ASSERT_TRUE(CreateDirectoryA(dir.path("folder.txt").c_str(), nullptr));
    struct Case {
        std::string path;
        DWORD error;
    } cases[] = {
        {dir.path("missing.txt"), ERROR_FILE_NOT_FOUND},
        {dir.path("no folder\\scenario.txt"), ERROR_PATH_NOT_FOUND},
        {dir.path("folder.txt"), ERROR_ACCESS_DENIED},  // there, but a folder
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableA("ZEVDEV_SCENARIO", c.path.c_str());
        ZDSIM_Reset();
        EXPECT_EQ(std::string(CMD_41) + "\r\nno matching device found\r\ndevice_s_ejected=0\r\n", Run(CMD_41))
            << c.path;
        std::string journal = Journal();
        std::string head = "# scenario " + c.path + " unreadable, error " + std::to_string(c.error) + " (";
        EXPECT_EQ(0u, journal.find(head)) << journal;
        EXPECT_NE(std::string::npos, journal.find("): no device answers\n")) << journal;
        EXPECT_EQ(1u, Occurrences(journal, "# ")) << "one line tells the back-end: " << journal;
    }
    // Set to the empty text (a script's unset variable) is named too, not "the device tree".
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", "");
    ZDSIM_Reset();
    EXPECT_EQ(std::string(CMD_41) + "\r\nno matching device found\r\ndevice_s_ejected=0\r\n", Run(CMD_41));
    EXPECT_EQ(0u, Journal().find("# scenario  unreadable, error ")) << Journal();
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", nullptr);
    ZDSIM_Reset();
    EXPECT_EQ(0u, Run(CMD_41).find("2 device(s) found\r\n")) << "unset: the device tree answers";
}

// Only the pattern's enumerator is read; one that no device has is an empty list, not a fault.
TEST_F(PrefixDeviceTree, PatternOfAnEnumeratorWithoutDevicesFindsNothing)
{
    int rc = -99;
    EXPECT_EQ("eject \"zvnobus\\vid_3e7a*\"\r\nno matching device found\r\ndevice_s_ejected=0\r\n",
              Run("eject \"zvnobus\\vid_3e7a*\"", &rc));
    EXPECT_EQ(ZD_OK, rc);
    EXPECT_EQ(0u, Run("eject \"u?b\\vid_3e7a&pid_4001\\*\"").find("1 device(s) found\r\n")) << "every class";
}

TEST_F(PrefixDeviceTree, SupportCommandListsAndEjectsWithItsExitCodes)
{
    ChildResult list = runSibling("zevdev.exe", "list \"usb\\vid_3e7a&pid_41*\"");
    EXPECT_EQ(0u, list.exitCode);
    EXPECT_EQ("USB\\VID_3E7A&PID_4107\\ZVTEST01\r\n"
              "    hardware id: USB\\VID_3E7A&PID_4107&REV_0100\r\n"
              "    hardware id: USB\\VID_3E7A&PID_4107\r\n"
              "    description: Vaultik\r\n"
              "USB\\VID_3E7A&PID_4108\\ZVTEST02\r\n"
              "    hardware id: usb\\vid_3e7a&pid_4108\r\n"
              "    description: Vaultik 2\r\n"
              "2 device(s)\r\n",
              list.out);

    ChildResult eject = runSibling("zevdev.exe", "eject usb\\vid_3e7a&pid_40*");
    EXPECT_EQ(0u, eject.exitCode) << eject.out << eject.err;
    EXPECT_EQ(0u, eject.out.find("1 device(s) found\r\ndevice 0: USB\\VID_3E7A&PID_4001\\ZVTEST03 EJECTED\r\n"))
        << eject.out;
    EXPECT_NE(std::string::npos, eject.out.find("\r\ndevice record 0\r\ninfo=EJECTED\r\n")) << eject.out;

    EXPECT_EQ(1u, runSibling("zevdev.exe", "eject \"usb\\vid_3e7c*\"").exitCode);
    ChildResult usage = runSibling("zevdev.exe", "eject");
    EXPECT_EQ(3u, usage.exitCode);
    EXPECT_TRUE(usage.out.empty());
    EXPECT_NE(std::string::npos, usage.err.find("usage: zevdev")) << usage.err;
}

TEST_F(PrefixDeviceTree, VacaterEjectsInOnePassPerCommandAndLogsTheDeviceRecord)
{
    TempDir dir("zevdev_vacater");
    SetEnvironmentVariableA("ZEVDEV_JOURNAL", dir.path("journal.txt").c_str());
    std::string logPath = dir.path("vacater");
    DWORD level = 0x01000000;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, "LogLevel", REG_DWORD, &level, 4));
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, "LogPath", REG_SZ, logPath.c_str(),
                    static_cast<DWORD>(logPath.size() + 1));
    ChildResult run = runSibling("Vacater.exe", "/RemoveOnly=1");  // ejects here, writes no batch
    for (const char* name : {"LogLevel", "LogPath"}) RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, name);
    EXPECT_EQ(0u, run.exitCode);

    std::string journal = ReadBytes(dir.path("journal.txt"));
    EXPECT_EQ(2u, Occurrences(journal, "ZDAPI_ZevDevExec\t")) << journal;
    EXPECT_EQ(1u, Occurrences(journal, CMD_40)) << journal;
    EXPECT_EQ(1u, Occurrences(journal, CMD_41)) << journal;

    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((logPath + "*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << "no log";
    FindClose(h);
    std::string log = ReadBytes(dir.path(found.cFileName));
    log.erase(std::remove(log.begin(), log.end(), '\0'), log.end());  // two bytes per character
    EXPECT_NE(std::string::npos, log.find("instance_id=USB\\VID_3E7A&PID_4107\\ZVTEST01")) << log;
    EXPECT_NE(std::string::npos, log.find("instance_id=USB\\VID_3E7A&PID_4001\\ZVTEST03")) << log;
    EXPECT_NE(std::string::npos, log.find("<-- CRemoveManager::EjectVaultik returns 0")) << log;
}
