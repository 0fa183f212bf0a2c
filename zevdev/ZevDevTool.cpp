#include "ZevDevTool.h"
#include "DeviceChoice.h"
#include "SystemBackend.h"
#include "ZevDevDll.h"

namespace zevdev {

namespace {

const char USAGE[] =
    "usage: zevdev list [PATTERN]   present devices (instance id, hardware ids, description)\r\n"
    "       zevdev eject PATTERN    asks the matching devices to eject and prints the report\r\n"
    "       zevdev --help\r\n"
    "PATTERN matches a hardware id or instance id, letter case ignored: * any run of\r\n"
    "characters, ? one character, e.g. \"usb\\vid_3e7a&pid_41*\".\r\n"
    "exit code: 0 ejected, 1 nothing matched, 2 refused or failed, 3 usage error\r\n";

int Usage(const std::string& why, std::string& err)
{
    err = "zevdev: " + why + "\r\n" + USAGE;
    return ZEVDEV_EXIT_USAGE;
}

int List(const std::string& pattern, DeviceTree& tree, std::string& out)
{
    std::vector<DeviceNode> nodes;
    std::string error;
    bool complete = tree.enumerate(nodes, error);
    // Without a pattern every device: "*" matches any id, an empty one too.
    std::vector<size_t> shown = MatchingDevices(nodes, pattern.empty() ? "*" : pattern);
    for (size_t i : shown) {
        const DeviceNode& n = nodes[i];
        // One line a value: a description with a line break must not look like another device.
        out += OneLine(n.instanceId) + "\r\n";
        for (const std::string& id : n.hardwareIds) out += "    hardware id: " + OneLine(id) + "\r\n";
        if (!n.description.empty()) out += "    description: " + OneLine(n.description) + "\r\n";
        if (!n.parentId.empty()) out += "    parent: " + OneLine(n.parentId) + "\r\n";
    }
    out += std::to_string(shown.size()) + " device(s)\r\n";
    if (!complete) {
        out += "device enumeration failed: " + error + "\r\n";
        return ZEVDEV_EXIT_REFUSED;
    }
    return shown.empty() ? ZEVDEV_EXIT_NO_DEVICE : ZEVDEV_EXIT_EJECTED;
}

int Eject(const std::string& pattern, DeviceTree& tree, std::string& out)
{
    SystemBackend backend(tree);
    DeviceList devices;
    CommandReport report = backend.run("eject \"" + pattern + "\"", devices);
    out = report.output;
    for (size_t i = 0; i < report.devices.size(); ++i)
        out += "\r\ndevice record " + std::to_string(i) + "\r\n" + report.devices[i].recordText();
    if (report.result != ZD_OK) return ZEVDEV_EXIT_REFUSED;
    if (report.devices.empty()) return ZEVDEV_EXIT_NO_DEVICE;
    for (const DeviceRecord& d : report.devices) {
        const std::string* info = d.field("info");
        if (!info || *info != "EJECTED") return ZEVDEV_EXIT_REFUSED;
    }
    return ZEVDEV_EXIT_EJECTED;
}

} // namespace

int RunZevDevTool(const std::vector<std::string>& args, DeviceTree& tree, std::string& out, std::string& err)
{
    out.clear();
    err.clear();
    if (args.empty()) return Usage("no command", err);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "/?") {
        out = USAGE;
        return ZEVDEV_EXIT_EJECTED;
    }
    if (command == "list") {
        if (args.size() > 2) return Usage("list takes at most one pattern", err);
        return List(args.size() == 2 ? args[1] : std::string(), tree, out);
    }
    if (command == "eject") {
        if (args.size() != 2) return Usage("eject takes one pattern", err);
        if (args[1].empty() || args[1].find('"') != std::string::npos)
            return Usage("a pattern is not empty and has no double quotes", err);
        return Eject(args[1], tree, out);
    }
    return Usage("unknown command: " + command, err);
}

} // namespace zevdev
