// The device list one library handle works on. Reading the tree is the costly part of a
// command (hundreds of devices, several property reads each), and the program runs one
// command up to ten times on one handle: the list is read at the handle's first command
// and reused by the next ones, until a request has ejected a device (then the next command
// must see it gone) or another query asks for other devices. A new handle reads afresh.
#pragma once
#include "DeviceTree.h"

namespace zevdev {

class DeviceList {
public:
    // The devices for `query`: the last read when it answered the same query and nothing
    // was ejected since, else a new read of the tree. False (with `error`) when the tree
    // could not be read; such a read is not kept.
    bool read(DeviceTree& tree, const DeviceQuery& query, std::string& error);
    const std::vector<DeviceNode>& nodes() const { return mNodes; }
    // A request ejected a device: the next read asks the tree again.
    void forget() { mbValid = false; }

private:
    bool mbValid = false;
    DeviceQuery mQuery;
    std::vector<DeviceNode> mNodes;
};

} // namespace zevdev
