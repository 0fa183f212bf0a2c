// A device tree made of plain values: which devices are present, what each eject request
// answers, and which reads and requests came, in order. It answers a query the way the
// system's tree does: only the enumerator's devices, descriptions only where asked for.
#pragma once
#include "DeviceChoice.h"
#include "DevicePattern.h"
#include "DeviceTree.h"
#include <map>

class FakeDeviceTree : public zevdev::DeviceTree {
public:
    std::vector<zevdev::DeviceNode> nodes;
    std::map<std::string, zevdev::EjectAnswer> answers;  // by instance id; absent: ejected
    std::string failure;                                  // when set, enumeration fails
    std::vector<std::string> requests;                    // instance ids asked to eject
    std::vector<zevdev::DeviceQuery> reads;               // every enumeration, in order
    bool ejectedDevicesLeave = false;  // an ejected device and its children are no longer listed

    void add(const std::string& id, std::vector<std::string> hardwareIds, const std::string& parent = "",
             const std::string& description = "")
    {
        zevdev::DeviceNode n;
        n.instanceId = id;
        n.hardwareIds = hardwareIds;
        n.parentId = parent;
        n.description = description;
        nodes.push_back(n);
    }
    using zevdev::DeviceTree::enumerate;
    bool enumerate(const zevdev::DeviceQuery& query, std::vector<zevdev::DeviceNode>& out,
                   std::string& error) override
    {
        reads.push_back(query);
        out.clear();
        std::string matched;
        for (const zevdev::DeviceNode& n : nodes) {
            if (!query.enumerator.empty() && !zevdev::MatchDevicePattern(query.enumerator + "\\*", n.instanceId))
                continue;
            out.push_back(n);
            if (!zevdev::MatchDevice(n, query.described, matched)) out.back().description.clear();
        }
        error = failure;
        return failure.empty();
    }
    void leave(const std::string& id)
    {
        std::vector<std::string> children;
        for (auto n = nodes.begin(); n != nodes.end();) {
            if (n->parentId == id) children.push_back(n->instanceId);
            n = n->instanceId == id ? nodes.erase(n) : n + 1;
        }
        for (const std::string& child : children) leave(child);
    }
    zevdev::EjectAnswer requestEject(const zevdev::DeviceNode& node) override
    {
        requests.push_back(node.instanceId);
        auto it = answers.find(node.instanceId);
        zevdev::EjectAnswer answer = it == answers.end() ? zevdev::EjectAnswer() : it->second;
        if (ejectedDevicesLeave && answer.configRet == 0) leave(node.instanceId);
        return answer;
    }
};
