// The simulated device library itself: bad calls and small buffers never crash it.
#include "EjectSupport.h"
#include <ZevDevSim.h>
#include <cstring>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {
const char* const CMD2 = "eject \"usb\\vid_3e7a&pid_41*\"";
}

TEST(DeviceLibrary, CutsTextsToTheBufferAndAlwaysTerminates)
{
    TempDir dir;
    UseScenario(dir, "command eject \"usb\\vid_3e7a&pid_41*\"\npass\noutput 0123456789\nfield serial ABCDEF\n");
    ZDHANDLE h = ZDAPI_CreateHandle();
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(ZD_OK, ZDAPI_ZevDevExec(h, 0, CMD2));
    char buffer[6];
    memset(buffer, 'x', sizeof buffer);
    unsigned long length = 99;
    EXPECT_EQ(ZD_E_TRUNCATED, ZDAPI_GetOutput(h, buffer, sizeof buffer, &length));
    EXPECT_STREQ("01234", buffer);
    EXPECT_EQ(5ul, length);
    // Before the output is parsed there is no device record.
    EXPECT_EQ(ZD_E_NODEVICE, ZDAPI_GetDeviceInfo(h, 0, "serial", buffer, sizeof buffer, &length));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(ZD_OK, ZDAPI_ParseCurrentOutput(h, 0));
    EXPECT_EQ(ZD_E_TRUNCATED, ZDAPI_GetDeviceInfo(h, 0, "serial", buffer, sizeof buffer, &length));
    EXPECT_STREQ("ABCDE", buffer);
    EXPECT_EQ(ZD_OK, ZDAPI_GetDeviceInfo(h, 0, "info", buffer, sizeof buffer, &length));
    EXPECT_STREQ("", buffer) << "an absent field is empty";
    EXPECT_EQ(ZD_E_NODEVICE, ZDAPI_GetDevice(h, 1, buffer, sizeof buffer, &length));
    EXPECT_EQ(ZD_E_ARGUMENT, ZDAPI_GetOutput(h, nullptr, 16000, &length));
    EXPECT_EQ(ZD_E_ARGUMENT, ZDAPI_GetOutput(h, buffer, 0, &length));
    EXPECT_EQ(ZD_OK, ZDAPI_CloseHandle(&h));
    EXPECT_EQ(nullptr, h) << "the variable is cleared";
    UseNoScenario();
}

TEST(DeviceLibrary, RejectsUnknownHandlesAndCommands)
{
    UseNoScenario();
    char buffer[64] = "";
    unsigned long length = 0;
    int local = 0;
    ZDHANDLE bogus = &local;
    EXPECT_EQ(ZD_E_HANDLE, ZDAPI_ZevDevExec(bogus, 0, CMD2));
    EXPECT_EQ(ZD_E_HANDLE, ZDAPI_GetOutput(bogus, buffer, sizeof buffer, &length));
    EXPECT_EQ(ZD_E_HANDLE, ZDAPI_CloseHandle(&bogus));
    EXPECT_EQ(ZD_E_ARGUMENT, ZDAPI_CloseHandle(nullptr));

    ZDHANDLE h = ZDAPI_CreateHandle();
    EXPECT_EQ(ZD_E_COMMAND, ZDAPI_ZevDevExec(h, 0, "format c:"));
    EXPECT_EQ(ZD_OK, ZDAPI_GetOutput(h, buffer, sizeof buffer, &length));
    EXPECT_STREQ("unknown command: format c:\r\n", buffer);
    EXPECT_EQ(ZD_E_ARGUMENT, ZDAPI_ZevDevExec(h, 0, nullptr));
    EXPECT_EQ(ZD_OK, ZDAPI_CloseHandle(&h));
    EXPECT_EQ(ZD_E_HANDLE, ZDAPI_CloseHandle(&h)) << "closed twice";
}

TEST(DeviceLibrary, RejectedScenarioBehavesLikeNoDeviceAndSaysWhy)
{
    TempDir dir;
    UseScenario(dir, "command eject \"usb\\vid_3e7a&pid_41*\"\npass\ninfo EJECTED\nstatus oops\n");
    ZDHANDLE h = ZDAPI_CreateHandle();
    ZDAPI_ZevDevExec(h, 0, CMD2);
    char buffer[256] = "";
    ZDAPI_GetOutput(h, buffer, sizeof buffer, nullptr);
    EXPECT_STREQ("eject \"usb\\vid_3e7a&pid_41*\"\r\nno matching device found\r\ndevice_s_ejected=0\r\n", buffer);
    ZDAPI_CloseHandle(&h);
    EXPECT_NE(std::string::npos, JournalText().find("rejected, line 4: unknown keyword: status")) << JournalText();
    UseNoScenario();
}

TEST(DeviceLibrary, JournalFileForOtherProgramsGetsTheSameLines)
{
    TempDir dir;
    std::string path = dir.file("journal.txt");
    SetEnvironmentVariableA("ZEVDEV_JOURNAL", path.c_str());
    UseNoScenario();
    ZDHANDLE h = ZDAPI_CreateHandle();
    ZDAPI_ZevDevExec(h, 7, CMD2);
    ZDAPI_CloseHandle(&h);
    SetEnvironmentVariableA("ZEVDEV_JOURNAL", nullptr);
    std::string expected;
    for (char c : JournalText()) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    EXPECT_EQ(expected, ReadFile(path));
    EXPECT_NE(std::string::npos, expected.find(std::string("\t7\t") + CMD2 + "\r\n"));
}
