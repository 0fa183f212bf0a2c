// The device-tree back-end: `eject "PATTERN"` asks every topmost present device that the
// pattern matches to eject, and reports who refused.
#pragma once
#include "Backend.h"
#include "DeviceTree.h"

namespace zevdev {

class SystemBackend : public Backend {
public:
    explicit SystemBackend(DeviceTree& tree) : m_tree(tree) {}
    CommandReport run(const std::string& command, DeviceList& devices) override;

private:
    DeviceTree& m_tree;
};

} // namespace zevdev
