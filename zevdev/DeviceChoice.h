// Which present devices an eject pattern asks: each matching device whose ancestors do
// not match, so a composite token (the USB device and its interfaces) is asked once.
#pragma once
#include "DeviceTree.h"

namespace zevdev {

struct ChosenDevice {
    size_t node;            // index into the enumerated nodes
    std::string matchedId;  // the hardware id that matched; empty when the instance id did
};

// The id of `node` that the pattern matches: a hardware id first, then the instance id.
// False when none does.
bool MatchDevice(const DeviceNode& node, const std::string& pattern, std::string& matchedId);

// The topmost matching devices, in enumeration order.
std::vector<ChosenDevice> ChooseDevices(const std::vector<DeviceNode>& nodes, const std::string& pattern);

// Every matching device, parents and children alike: the filter of `zevdev list`.
std::vector<size_t> MatchingDevices(const std::vector<DeviceNode>& nodes, const std::string& pattern);

} // namespace zevdev
