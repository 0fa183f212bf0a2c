// Which devices an eject command reaches: the pattern's syntax, how it matches ids, and
// that a composite token is asked once, at its top.
#include "DeviceChoice.h"
#include "DevicePattern.h"
#include "FakeDeviceTree.h"
#include <gtest/gtest.h>

using namespace zevdev;

TEST(EjectPattern, MatchesIdsIgnoringCaseWithStarAndQuestionMarkOnly)
{
    struct Case {
        const char *pattern, *id;
        bool match;
    } cases[] = {
        {"usb\\vid_3e7a&pid_41*", "USB\\VID_3E7A&PID_4107", true},
        {"usb\\vid_3e7a&pid_41*", "USB\\VID_3E7A&PID_4107&REV_0100", true},
        {"usb\\vid_3e7a&pid_41*", "USB\\Vid_3e7a&Pid_41", true},
        {"usb\\vid_3e7a&pid_41*", "USB\\VID_3E7A&PID_4007", false},
        {"usb\\vid_3e7a&pid_41*", "USB\\VID_3E7B&PID_4107", false},
        {"usb\\vid_3e7a&pid_41*", "HID\\USB\\VID_3E7A&PID_4107", false},  // anchored at the start
        {"usb\\vid_3e7a&pid_41*", "USB/VID_3E7A&PID_4107", false},         // backslash is literal
        {"usb\\vid_3e7a&pid_41*", "USB\\VID_3E7A+PID_4107", false},        // so is &
        {"usb\\vid_3e7a&pid_41??", "USB\\VID_3E7A&PID_4107", true},
        {"usb\\vid_3e7a&pid_41??", "USB\\VID_3E7A&PID_410", false},
        {"usb\\vid_3e7a&pid_41??", "USB\\VID_3E7A&PID_41077", false},
        {"*&pid_4107*", "USB\\VID_3E7A&PID_4107&MI_00", true},
        {"*a*b*c", "xxaxxbxxbxxc", true},  // a later `*` backtracks, not the first
        {"*a*b*c", "xxaxxbxxcxxb", false},
        {"usb\\vid_3e7a&pid_4107\\*", "USB\\VID_3E7A&PID_4107\\ZVT0001", true},
        {"[vid]", "V", false},  // brackets are characters, not classes
        {"*", "", true},
        {"a", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, MatchDevicePattern(c.pattern, c.id)) << c.pattern << " ~ " << c.id;
}

// Only the enumerator's devices are read: every id a pattern can match starts with it.
TEST(EjectPattern, EnumeratorIsTheFixedTextBeforeTheFirstBackslash)
{
    struct Case {
        const char *pattern, *enumerator;
    } cases[] = {
        {"usb\\vid_3e7a&pid_41*", "usb"},
        {"USBSTOR\\Disk*", "USBSTOR"},
        {"usb\\vid_3e7a&pid_4107\\*", "usb"},
        {"u?b\\vid_3e7a*", ""},   // a wildcard before the backslash: any enumerator
        {"*\\vid_3e7a*", ""},
        {"usb*", ""},             // no backslash: "USBSTOR\..." matches too
        {"\\vid_3e7a", ""},
        {"*&mi_00", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.enumerator, PatternEnumerator(c.pattern)) << c.pattern;
}

TEST(EjectPattern, CommandNeedsEjectAndOneBalancedNonEmptyPattern)
{
    struct Case {
        const char* command;
        const char* pattern;  // null: not an eject command
    } cases[] = {
        {"eject \"usb\\vid_3e7a&pid_41*\"", "usb\\vid_3e7a&pid_41*"},
        {"eject usb\\vid_3e7a&pid_40*", "usb\\vid_3e7a&pid_40*"},
        {"eject  \"has blank\"  ", "has blank"},
        {"eject \"\"", nullptr},
        {"eject ", nullptr},
        {"eject", nullptr},
        {"eject \"usb\\vid_3e7a", nullptr},
        {"eject usb\\vid_3e7a\"", nullptr},
        {"eject \"a\"b\"", nullptr},
        {"eject two words", nullptr},
        {"EJECT \"usb*\"", nullptr},
        {"list \"usb*\"", nullptr},
    };
    for (const Case& c : cases) {
        std::string pattern = "left over";
        EXPECT_EQ(c.pattern != nullptr, ParseEjectCommand(c.command, pattern)) << c.command;
        EXPECT_EQ(c.pattern ? c.pattern : "", pattern) << c.command;
    }
}

TEST(EjectChoice, OnlyTheTopmostMatchingDeviceOfATreeIsAsked)
{
    FakeDeviceTree t;
    t.add("USB\\ROOT_HUB30\\4&1", {"USB\\ROOT_HUB30"});
    t.add("USB\\VID_3E7A&PID_4107\\0001", {"USB\\VID_3E7A&PID_4107&REV_0100", "USB\\VID_3E7A&PID_4107"},
          "USB\\ROOT_HUB30\\4&1");
    t.add("USB\\VID_3E7A&PID_4107&MI_00\\5&2", {"USB\\VID_3E7A&PID_4107&MI_00"}, "usb\\vid_3e7a&pid_4107\\0001");
    t.add("USBSTOR\\DISK&VEN_ZEV\\6&3", {"USBSTOR\\DiskZEV"}, "USB\\VID_3E7A&PID_4107&MI_00\\5&2");
    t.add("USB\\VID_3E7A&PID_4108&MI_01\\7&4", {"USB\\VID_3E7A&PID_4108&MI_01"}, "USB\\ROOT_HUB30\\4&1");
    t.add("USB\\VID_3E7A&PID_4001\\0002", {"USB\\VID_3E7A&PID_4001"});
    // A broken tree: two devices that name each other as parent.
    t.add("USB\\VID_3E7A&PID_4150\\A", {"X"}, "USB\\VID_3E7A&PID_4150\\B");
    t.add("USB\\VID_3E7A&PID_4150\\B", {"Y"}, "USB\\VID_3E7A&PID_4150\\A");

    struct Case {
        const char* pattern;
        std::vector<std::pair<size_t, std::string>> chosen;
    } cases[] = {
        // The interface's parent matches (letter case of the parent id aside): only the device.
        {"usb\\vid_3e7a&pid_41*", {{1, "USB\\VID_3E7A&PID_4107&REV_0100"}, {4, "USB\\VID_3E7A&PID_4108&MI_01"}}},
        // The device itself does not match: its interface is the top.
        {"*&mi_00", {{2, "USB\\VID_3E7A&PID_4107&MI_00"}}},
        // Matched by instance id only: no hardware id to name.
        {"usb\\vid_3e7a&pid_4001\\*", {{5, ""}}},
        {"usbstor\\*", {{3, "USBSTOR\\DiskZEV"}}},
        {"usb\\vid_3e7a&pid_4150\\*", {}},  // each has a matching "ancestor": neither is asked
        {"usb\\vid_1234*", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<size_t, std::string>> got;
        for (const ChosenDevice& d : ChooseDevices(t.nodes, c.pattern)) got.emplace_back(d.node, d.matchedId);
        EXPECT_EQ(c.chosen, got) << c.pattern;
    }
    EXPECT_EQ((std::vector<size_t>{1, 2, 4}), MatchingDevices(t.nodes, "usb\\vid_3e7a&pid_410*"));
}
