// The report of an eject command on the device tree, as the program reads it: the output
// text, record 0 first, the refusing party named; and the support command's exit codes.
#include "FakeDeviceTree.h"
#include "PnpNames.h"
#include "SystemBackend.h"
#include "ZevDevDll.h"
#include "ZevDevTool.h"
#include <windows.h>
#include <cfgmgr32.h>
#include <gtest/gtest.h>

using namespace zevdev;

namespace {

const char CMD[] = "eject \"usb\\vid_3e7a&pid_41*\"";

EjectAnswer Answer(unsigned long cr, int vetoType = 0, const std::string& vetoName = "")
{
    EjectAnswer a;
    a.configRet = cr;
    a.vetoType = vetoType;
    a.vetoName = vetoName;
    return a;
}

// One command on a handle of its own.
CommandReport RunCommand(FakeDeviceTree& tree, const std::string& command)
{
    DeviceList devices;
    return SystemBackend(tree).run(command, devices);
}

struct TwoTokens : ::testing::Test {
    FakeDeviceTree tree;
    void SetUp() override
    {
        tree.add("USB\\VID_3E7A&PID_4107\\0001", {"USB\\VID_3E7A&PID_4107&REV_0100"}, "", "Vaultik");
        tree.add("USB\\VID_3E7A&PID_4107&MI_00\\0001", {"USB\\VID_3E7A&PID_4107&MI_00"},
                 "USB\\VID_3E7A&PID_4107\\0001");
        tree.add("USB\\VID_3E7A&PID_4108\\0002", {"USB\\VID_3E7A&PID_4108"}, "", "Vaultik\r\nsecond");
    }
};

} // namespace

TEST_F(TwoTokens, RefusedDeviceComesFirstAndNamesWhoRefused)
{
    tree.answers["USB\\VID_3E7A&PID_4108\\0002"] =
        Answer(CR_REMOVE_VETOED, PNP_VetoOutstandingOpen, "C:\\Windows\\explorer.exe");
    CommandReport r = RunCommand(tree, CMD);

    EXPECT_EQ(ZD_OK, r.result);
    EXPECT_EQ((std::vector<std::string>{"USB\\VID_3E7A&PID_4107\\0001", "USB\\VID_3E7A&PID_4108\\0002"}),
              tree.requests) << "each token once, its interface not at all, in tree order";
    EXPECT_EQ("2 device(s) found\r\n"
              "device 0: USB\\VID_3E7A&PID_4108\\0002 EJECTED_FAILED CR_REMOVE_VETOED PNP_VetoOutstandingOpen "
              "\"C:\\Windows\\explorer.exe\"\r\n"
              "device 1: USB\\VID_3E7A&PID_4107\\0001 EJECTED\r\n"
              "device_s_ejected=1\r\n",
              r.output);
    ASSERT_EQ(2u, r.devices.size());
    EXPECT_EQ("info=EJECTED_FAILED\r\nerror=CR_REMOVE_VETOED\r\nveto_type=PNP_VetoOutstandingOpen\r\n"
              "veto_name=C:\\Windows\\explorer.exe\r\ninstance_id=USB\\VID_3E7A&PID_4108\\0002\r\n"
              "hardware_id=USB\\VID_3E7A&PID_4108\r\ndescription=Vaultik  second\r\n",
              r.devices[0].recordText()) << "a line break in a value would split the record";
    EXPECT_EQ("info=EJECTED\r\nerror=CR_SUCCESS\r\nveto_type=PNP_VetoTypeUnknown\r\nveto_name=\r\n"
              "instance_id=USB\\VID_3E7A&PID_4107\\0001\r\nhardware_id=USB\\VID_3E7A&PID_4107&REV_0100\r\n"
              "description=Vaultik\r\n",
              r.devices[1].recordText());
}

TEST_F(TwoTokens, EveryFailureIsNamedUnknownCodesInHex)
{
    struct Case {
        EjectAnswer answer;
        const char *error, *vetoType, *line;
    } cases[] = {
        {Answer(CR_INVALID_DEVNODE), "CR_INVALID_DEVNODE", "PNP_VetoTypeUnknown",
         "device 0: USB\\VID_3E7A&PID_4108\\0002 EJECTED_FAILED CR_INVALID_DEVNODE\r\n"},
        {Answer(CR_REMOVE_VETOED, PNP_VetoDriver, "\\Driver\\zvflt"), "CR_REMOVE_VETOED", "PNP_VetoDriver",
         "device 0: USB\\VID_3E7A&PID_4108\\0002 EJECTED_FAILED CR_REMOVE_VETOED PNP_VetoDriver \"\\Driver\\zvflt\"\r\n"},
        {Answer(CR_ACCESS_DENIED, PNP_VetoInsufficientRights), "CR_ACCESS_DENIED", "PNP_VetoInsufficientRights",
         "device 0: USB\\VID_3E7A&PID_4108\\0002 EJECTED_FAILED CR_ACCESS_DENIED PNP_VetoInsufficientRights \"\"\r\n"},
        {Answer(0x3C, 14), "CR_0x0000003C", "PNP_Veto_0x0000000E",
         "device 0: USB\\VID_3E7A&PID_4108\\0002 EJECTED_FAILED CR_0x0000003C PNP_Veto_0x0000000E \"\"\r\n"},
        {Answer(0xFFFFABCD, -1), "CR_0xFFFFABCD", "PNP_Veto_0xFFFFFFFF",
         "device 0: USB\\VID_3E7A&PID_4108\\0002 EJECTED_FAILED CR_0xFFFFABCD PNP_Veto_0xFFFFFFFF \"\"\r\n"},
    };
    for (const Case& c : cases) {
        tree.answers["USB\\VID_3E7A&PID_4108\\0002"] = c.answer;
        CommandReport r = RunCommand(tree, CMD);
        ASSERT_EQ(2u, r.devices.size()) << c.error;
        EXPECT_EQ("EJECTED_FAILED", *r.devices[0].field("info"));
        EXPECT_EQ(c.error, *r.devices[0].field("error"));
        EXPECT_EQ(c.vetoType, *r.devices[0].field("veto_type"));
        EXPECT_NE(std::string::npos, r.output.find(c.line)) << r.output;
        EXPECT_NE(std::string::npos, r.output.find("device_s_ejected=1\r\n")) << r.output;
    }
}

TEST_F(TwoTokens, NothingFoundBadCommandsAndAnUnreadableTreeEjectNothing)
{
    struct Case {
        std::string command, failure;
        int result;
        std::string output;
    } cases[] = {
        {"eject \"usb\\vid_3e7b*\"", "", ZD_OK, "eject \"usb\\vid_3e7b*\"\r\nno matching device found\r\ndevice_s_ejected=0\r\n"},
        {"eject \"\"", "", ZD_E_COMMAND, "unknown command: eject \"\"\r\n"},
        {"eject \"usb\\vid_3e7a*", "", ZD_E_COMMAND, "unknown command: eject \"usb\\vid_3e7a*\r\n"},
        {"format c:", "", ZD_E_COMMAND, "unknown command: format c:\r\n"},
        {CMD, "error 13\r\n", ZD_E_SYSTEM,
         std::string(CMD) + "\r\ndevice enumeration failed: error 13  \r\ndevice_s_ejected=0\r\n"},
    };
    for (const Case& c : cases) {
        tree.failure = c.failure;
        tree.requests.clear();
        CommandReport r = RunCommand(tree, c.command);
        EXPECT_EQ(c.result, r.result) << c.command;
        EXPECT_EQ(c.output, r.output);
        EXPECT_TRUE(r.devices.empty());
        EXPECT_TRUE(tree.requests.empty()) << c.command;
    }
    EXPECT_EQ("CR_INVALID_DEVNODE", ConfigRetName(CR_INVALID_DEVINST)) << "the older alias reads as the same";
}

TEST_F(TwoTokens, SupportCommandExitCodesFollowTheOutcome)
{
    struct Case {
        std::vector<std::string> args;
        bool refuse, failEnumeration;
        int exit;
        const char* outHas;  // a part of standard output
        bool errEmpty;
    } cases[] = {
        {{"eject", "usb\\vid_3e7a&pid_41*"}, false, false, 0, "2 device(s) found\r\n", true},
        {{"eject", "usb\\vid_3e7a&pid_41*"}, true, false, 2, "2 device(s) found\r\ndevice 0: USB\\VID_3E7A&PID_4108", true},
        {{"eject", "usb\\vid_9999*"}, false, false, 1, "eject \"usb\\vid_9999*\"\r\nno matching device", true},
        {{"eject", "usb*"}, false, true, 2, "eject \"usb*\"\r\ndevice enumeration failed", true},
        {{"list", "*&mi_00"}, false, false, 0, "USB\\VID_3E7A&PID_4107&MI_00\\0001\r\n    hardware id: ", true},
        {{"list", "usb\\vid_9999*"}, false, false, 1, "0 device(s)\r\n", true},
        // A description's line break and tab are blanks: the listing keeps one device a block.
        {{"list", "usb\\vid_3e7a&pid_4108*"}, false, false, 0,
         "USB\\VID_3E7A&PID_4108\\0002\r\n    hardware id: USB\\VID_3E7A&PID_4108\r\n"
         "    description: Vaultik  second\r\n1 device(s)\r\n", true},
        {{"list"}, false, true, 2, "\r\n3 device(s)\r\ndevice enumeration failed: error 5\r\n", true},
        {{"--help"}, false, false, 0, "usage: zevdev list", true},
        {{}, false, false, 3, "", false},
        {{"eject"}, false, false, 3, "", false},
        {{"eject", ""}, false, false, 3, "", false},
        {{"eject", "usb\"*"}, false, false, 3, "", false},
        {{"eject", "a", "b"}, false, false, 3, "", false},
        {{"list", "a", "b"}, false, false, 3, "", false},
        {{"remove", "usb*"}, false, false, 3, "", false},
    };
    for (const Case& c : cases) {
        std::string what = c.args.empty() ? "(none)" : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        tree.answers.clear();
        if (c.refuse) tree.answers["USB\\VID_3E7A&PID_4108\\0002"] = Answer(CR_REMOVE_VETOED, PNP_VetoWindowsApp, "x.exe");
        tree.failure = c.failEnumeration ? "error 5" : "";
        tree.requests.clear();
        std::string out, err;
        EXPECT_EQ(c.exit, RunZevDevTool(c.args, tree, out, err)) << what;
        EXPECT_NE(std::string::npos, out.find(c.outHas)) << what << "\n" << out;
        EXPECT_EQ(c.errEmpty, err.empty()) << what;
        if (c.exit == 3) {
            EXPECT_NE(std::string::npos, err.find("usage: zevdev")) << what;
            EXPECT_TRUE(out.empty()) << what;
            EXPECT_TRUE(tree.requests.empty()) << what;
        }
    }
}
