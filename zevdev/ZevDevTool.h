// The support command zevdev.exe: lists present devices and ejects them the way the
// library does. Plain function over the device-tree seam; main() only prints.
#pragma once
#include "DeviceTree.h"
#include <string>
#include <vector>

namespace zevdev {

enum ZevDevExit {
    ZEVDEV_EXIT_EJECTED = 0,  // every chosen device ejected (also: list and --help done)
    ZEVDEV_EXIT_NO_DEVICE = 1,
    ZEVDEV_EXIT_REFUSED = 2,  // a device refused or failed, or the device tree was unreadable
    ZEVDEV_EXIT_USAGE = 3,
};

// `args` without the program name. Writes what to print to `out` (report, listing, help)
// and `err` (usage mistakes); returns the exit code.
int RunZevDevTool(const std::vector<std::string>& args, DeviceTree& tree, std::string& out, std::string& err);

} // namespace zevdev
