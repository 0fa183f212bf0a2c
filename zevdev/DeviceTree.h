// The seam to the machine's device tree: list the present devices, ask one to eject.
// Everything that decides (matching, choosing, reporting) works on these plain values.
#pragma once
#include <string>
#include <vector>

namespace zevdev {

struct DeviceNode {
    std::string instanceId;                // "USB\VID_3E7A&PID_4107\0001"
    std::vector<std::string> hardwareIds;  // most specific first
    std::string description;               // friendly name, else the device description
    std::string parentId;                  // instance id of the parent; empty when unknown
    unsigned long devInst = 0;             // the system's handle for the eject request
};

// What the system answered to an eject request.
struct EjectAnswer {
    unsigned long configRet = 0;  // a CONFIGRET; 0 is CR_SUCCESS
    int vetoType = 0;             // a PNP_VETO_TYPE; 0 is PNP_VetoTypeUnknown
    std::string vetoName;         // who refused: a process, service, driver or device
};

// How much of the tree a reader needs. The default reads everything.
struct DeviceQuery {
    std::string enumerator;  // only the devices of this enumerator ("USB"); empty: of all classes
    std::string described;   // a device pattern: only the devices it matches get their
                             // description read; "*": every device
    DeviceQuery() : described("*") {}
    bool operator==(const DeviceQuery& other) const
    {
        return enumerator == other.enumerator && described == other.described;
    }
};

class DeviceTree {
public:
    virtual ~DeviceTree() {}
    // The present devices the query asks for. False (with `error` saying why) when the list
    // cannot be read; `nodes` then holds what was read.
    virtual bool enumerate(const DeviceQuery& query, std::vector<DeviceNode>& nodes, std::string& error) = 0;
    // Every present device, of all classes, described.
    bool enumerate(std::vector<DeviceNode>& nodes, std::string& error)
    {
        return enumerate(DeviceQuery(), nodes, error);
    }
    virtual EjectAnswer requestEject(const DeviceNode& node) = 0;
};

} // namespace zevdev
