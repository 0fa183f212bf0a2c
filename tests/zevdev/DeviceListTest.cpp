// How often the library reads the device tree: once per handle, that is once per eject
// command of a removal attempt, however many passes the command takes; again after a
// request ejected a device, and for every new handle. Counted through the seam.
#include "FakeDeviceTree.h"
#include "Library.h"
#include "PnpNames.h"
#include "RemovalAttempt.h"
#include <windows.h>
#include <cfgmgr32.h>
#include <gtest/gtest.h>

using namespace zevdev;

namespace {

const char TOKEN[] = "USB\\VID_3E7A&PID_4107\\0001";
const char SECOND[] = "USB\\VID_3E7A&PID_4108\\0002";

EjectAnswer Refusal(unsigned long cr)
{
    EjectAnswer a;
    a.configRet = cr;
    a.vetoType = cr == CR_REMOVE_VETOED ? PNP_VetoOutstandingOpen : 0;
    return a;
}

struct TokenTree : ::testing::Test {
    FakeDeviceTree tree;
    Library library{tree, ChooseDeviceTree};
    void SetUp() override
    {
        tree.add("PCI\\VEN_8086&DEV_A36D\\3&11583659&0&A0", {"PCI\\VEN_8086&DEV_A36D"}, "", "USB controller");
        tree.add("USB\\ROOT_HUB30\\4&1", {"USB\\ROOT_HUB30"}, "PCI\\VEN_8086&DEV_A36D\\3&11583659&0&A0", "Root hub");
        tree.add(TOKEN, {"USB\\VID_3E7A&PID_4107&REV_0100", "USB\\VID_3E7A&PID_4107"}, "USB\\ROOT_HUB30\\4&1",
                 "Vaultik");
        tree.add("USB\\VID_3E7A&PID_4107&MI_00\\5&2", {"USB\\VID_3E7A&PID_4107&MI_00"}, TOKEN, "Vaultik interface");
        tree.add("USBSTOR\\DISK&VEN_ZEV\\6&3", {"USBSTOR\\DiskZEV"}, "USB\\VID_3E7A&PID_4107&MI_00\\5&2", "Disk");
    }
    // What one command on `handle` reports.
    std::string Exec(ZDHANDLE handle, const char* command)
    {
        char buffer[4096];
        unsigned long length = 0;
        library.exec(handle, 0, command);
        library.getOutput(handle, buffer, sizeof buffer, &length);
        return buffer;
    }
};

} // namespace

TEST_F(TokenTree, ARemovalAttemptReadsTheDeviceListOncePerCommand)
{
    RemovalAttempt attempt = RunRemovalAttempt(library);
    EXPECT_EQ(0, attempt.result);
    EXPECT_EQ(11, attempt.passes) << "ten passes that match nothing, one that ejects";
    EXPECT_EQ(2u, tree.reads.size());
    EXPECT_EQ(std::vector<std::string>{TOKEN}, tree.requests);
    // Only the USB enumerator's devices, only matching devices described.
    for (const DeviceQuery& q : tree.reads) EXPECT_EQ("usb", q.enumerator);
    ASSERT_EQ(2u, tree.reads.size());
    EXPECT_EQ("usb\\vid_3e7a&pid_40*", tree.reads[0].described);
    EXPECT_EQ("usb\\vid_3e7a&pid_41*", tree.reads[1].described);
}

TEST_F(TokenTree, ARemovalRefusedTwiceReadsTwicePerAttempt)
{
    tree.answers[TOKEN] = Refusal(CR_REMOVE_VETOED);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(-2, RunRemovalAttempt(library).result) << "attempt " << i + 1;
    tree.answers.clear();
    EXPECT_EQ(0, RunRemovalAttempt(library).result);
    EXPECT_EQ(6u, tree.reads.size()) << "each attempt's handles read afresh";
    EXPECT_EQ(3u, tree.requests.size());

    // The way the library worked before, one list per pass, for comparison: the benchmark's
    // "before" is the same attempt, only with a handle per pass.
    tree.reads.clear();
    tree.answers[TOKEN] = Refusal(CR_REMOVE_VETOED);
    EXPECT_EQ(-2, RunRemovalAttempt(library, true).result);
    EXPECT_EQ(11u, tree.reads.size());
}

// One token refuses for a reason that is not worth a retry (the pass is inconclusive) while
// the other is ejected: the next pass must not see the ejected one again.
TEST_F(TokenTree, AfterAnEjectionTheNextPassReadsTheTreeAgain)
{
    tree.add(SECOND, {"USB\\VID_3E7A&PID_4108"}, "USB\\ROOT_HUB30\\4&1", "Vaultik 2");
    tree.answers[SECOND] = Refusal(CR_ACCESS_DENIED);
    tree.ejectedDevicesLeave = true;
    RemovalAttempt attempt = RunRemovalAttempt(library);
    EXPECT_EQ(0, attempt.result);
    EXPECT_EQ(12, attempt.passes) << "one that ejected, one that found nothing more ejected";
    EXPECT_EQ((std::vector<std::string>{TOKEN, SECOND, SECOND}), tree.requests);
    EXPECT_EQ(3u, tree.reads.size());
}

TEST_F(TokenTree, EachHandleKeepsItsOwnListForItsQuery)
{
    const char* cmd40 = EJECT_COMMAND_40;
    ZDHANDLE first = library.createHandle(), second = library.createHandle();
    EXPECT_EQ(std::string(cmd40) + "\r\nno matching device found\r\ndevice_s_ejected=0\r\n", Exec(first, cmd40));
    Exec(first, cmd40);
    EXPECT_EQ(1u, tree.reads.size());
    Exec(second, cmd40);
    EXPECT_EQ(2u, tree.reads.size()) << "a new handle reads afresh";
    // Another pattern of the same enumerator asks for other descriptions: read again.
    EXPECT_EQ("1 device(s) found\r\ndevice 0: USBSTOR\\DISK&VEN_ZEV\\6&3 EJECTED\r\ndevice_s_ejected=1\r\n",
              Exec(first, "eject \"usbstor\\*\""));
    EXPECT_EQ(3u, tree.reads.size());
    EXPECT_EQ("usbstor", tree.reads.back().enumerator);
    // Without a fixed enumerator every class is read; an unreadable tree is not kept.
    tree.failure = "error 13";
    EXPECT_NE(std::string::npos, Exec(second, "eject \"*&mi_00\"").find("device enumeration failed: error 13"));
    tree.failure.clear();
    EXPECT_EQ("1 device(s) found\r\ndevice 0: USB\\VID_3E7A&PID_4107&MI_00\\5&2 EJECTED\r\ndevice_s_ejected=1\r\n",
              Exec(second, "eject \"*&mi_00\""));
    EXPECT_EQ(5u, tree.reads.size());
    EXPECT_EQ("", tree.reads.back().enumerator);
    library.closeHandle(&first);
    library.closeHandle(&second);
}

// The report shows the description of the devices it names, though others are not described.
TEST_F(TokenTree, ReportStillDescribesTheChosenDevice)
{
    ZDHANDLE h = library.createHandle();
    Exec(h, EJECT_COMMAND_41);
    library.parseCurrentOutput(h, 0);
    char value[256];
    unsigned long length = 0;
    library.getDeviceInfo(h, 0, "description", value, sizeof value, &length);
    EXPECT_STREQ("Vaultik", value);
    library.closeHandle(&h);
    EXPECT_EQ("usb\\vid_3e7a&pid_41*", tree.reads.at(0).described);
}
