#include "SystemBackend.h"
#include "DeviceChoice.h"
#include "DevicePattern.h"
#include "EjectionReport.h"

namespace zevdev {

CommandReport SystemBackend::run(const std::string& command)
{
    std::string pattern;
    if (!ParseEjectCommand(command, pattern)) return UnknownCommandReport(command);
    std::vector<DeviceNode> nodes;
    std::string error;
    if (!m_tree.enumerate(nodes, error)) return EnumerationFailedReport(command, error);
    std::vector<ChosenDevice> chosen = ChooseDevices(nodes, pattern);
    if (chosen.empty()) {
        CommandReport report;
        report.output = NoDeviceOutput(command);
        return report;
    }
    std::vector<EjectOutcome> outcomes;
    for (const ChosenDevice& c : chosen)
        outcomes.push_back({nodes[c.node], c.matchedId, m_tree.requestEject(nodes[c.node])});
    return BuildEjectReport(outcomes);
}

} // namespace zevdev
