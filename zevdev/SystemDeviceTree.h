// The machine's device tree through SetupAPI and the configuration manager.
#pragma once
#include "DeviceTree.h"

namespace zevdev {

class SystemDeviceTree : public DeviceTree {
public:
    using DeviceTree::enumerate;
    bool enumerate(const DeviceQuery& query, std::vector<DeviceNode>& nodes, std::string& error) override;
    // Always with a veto buffer: Windows then shows no dialog and names who refused.
    EjectAnswer requestEject(const DeviceNode& node) override;
};

} // namespace zevdev
