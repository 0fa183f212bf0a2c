#include "DeviceChoice.h"
#include "DevicePattern.h"
#include <map>

namespace zevdev {

namespace {

// Instance ids are case-insensitive.
std::string Key(std::string id)
{
    for (char& c : id)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return id;
}

} // namespace

bool MatchDevice(const DeviceNode& node, const std::string& pattern, std::string& matchedId)
{
    matchedId.clear();
    for (const std::string& id : node.hardwareIds)
        if (MatchDevicePattern(pattern, id)) {
            matchedId = id;
            return true;
        }
    return MatchDevicePattern(pattern, node.instanceId);
}

std::vector<size_t> MatchingDevices(const std::vector<DeviceNode>& nodes, const std::string& pattern)
{
    std::vector<size_t> found;
    std::string id;
    for (size_t i = 0; i < nodes.size(); ++i)
        if (MatchDevice(nodes[i], pattern, id)) found.push_back(i);
    return found;
}

std::vector<ChosenDevice> ChooseDevices(const std::vector<DeviceNode>& nodes, const std::string& pattern)
{
    std::vector<bool> matches(nodes.size());
    std::vector<std::string> ids(nodes.size());
    std::map<std::string, size_t> byId;
    for (size_t i = 0; i < nodes.size(); ++i) {
        matches[i] = MatchDevice(nodes[i], pattern, ids[i]);
        byId.emplace(Key(nodes[i].instanceId), i);
    }
    std::vector<ChosenDevice> chosen;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!matches[i]) continue;
        bool ancestorMatches = false;
        // At most one step per node: a broken tree with a cycle cannot hold us.
        size_t at = i;
        for (size_t steps = 0; steps < nodes.size() && !ancestorMatches; ++steps) {
            auto parent = byId.find(Key(nodes[at].parentId));
            if (nodes[at].parentId.empty() || parent == byId.end() || parent->second == i) break;
            at = parent->second;
            ancestorMatches = matches[at];
        }
        if (!ancestorMatches) chosen.push_back({i, ids[i]});
    }
    return chosen;
}

} // namespace zevdev
