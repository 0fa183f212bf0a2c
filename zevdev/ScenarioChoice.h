// The back-end choice of the test build of the library (tests and the demo): a scenario
// when one is named or lies beside the DLL, else the device tree. Not part of the shipped
// library, which always asks the device tree.
#pragma once
#include "Backend.h"
#include "DeviceTree.h"
#include <memory>

namespace zevdev {

// Reads the file that ZEVDEV_SCENARIO names, or else zevdev-scenario.txt beside the module
// this code is linked into. Only when that variable is unset and no such file is there
// does the device tree answer. A scenario that was named or is there but cannot be read or
// is rejected answers "no matching device" to every command: a mistake in a test must never
// eject real devices. `note` says which and why (journal format in zevdev/README.md).
std::unique_ptr<Backend> ChooseScenarioOrDeviceTree(DeviceTree& tree, std::string& note);

} // namespace zevdev
