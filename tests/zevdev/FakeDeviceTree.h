// A device tree made of plain values: which devices are present, what each eject request
// answers, and which requests came, in order.
#pragma once
#include "DeviceTree.h"
#include <map>

class FakeDeviceTree : public zevdev::DeviceTree {
public:
    std::vector<zevdev::DeviceNode> nodes;
    std::map<std::string, zevdev::EjectAnswer> answers;  // by instance id; absent: ejected
    std::string failure;                                  // when set, enumeration fails
    std::vector<std::string> requests;                    // instance ids asked to eject

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
    bool enumerate(std::vector<zevdev::DeviceNode>& out, std::string& error) override
    {
        out = nodes;
        error = failure;
        return failure.empty();
    }
    zevdev::EjectAnswer requestEject(const zevdev::DeviceNode& node) override
    {
        requests.push_back(node.instanceId);
        auto it = answers.find(node.instanceId);
        return it == answers.end() ? zevdev::EjectAnswer() : it->second;
    }
};
