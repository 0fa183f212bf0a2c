// The report of an eject command on the device tree: the output text the program scans for
// "device_s_ejected=" and one device record per device asked.
#pragma once
#include "Backend.h"
#include "DeviceTree.h"

namespace zevdev {

struct EjectOutcome {
    DeviceNode node;
    std::string matchedId;  // the hardware id the pattern matched; empty: the instance id did
    EjectAnswer answer;
};

// Output: "N device(s) found", one line per device, "device_s_ejected=K", each ending
// "\r\n". Records carry info, error, veto_type, veto_name, instance_id, hardware_id and
// description. Refused devices come first: the program reads record 0 and retries on a
// refusal, so one refused device among ejected ones still gets its retry.
CommandReport BuildEjectReport(const std::vector<EjectOutcome>& outcomes);

// The device list could not be read: said in the output, nothing ejected.
CommandReport EnumerationFailedReport(const std::string& command, const std::string& error);

} // namespace zevdev
