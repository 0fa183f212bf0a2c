#include "SystemBackend.h"
#include "DeviceChoice.h"
#include "DevicePattern.h"
#include "EjectionReport.h"

namespace zevdev {

CommandReport SystemBackend::run(const std::string& command, DeviceList& devices)
{
    std::string pattern;
    if (!ParseEjectCommand(command, pattern)) return UnknownCommandReport(command);
    // Only what matching needs: the pattern's enumerator, descriptions of matching devices.
    DeviceQuery query;
    query.enumerator = PatternEnumerator(pattern);
    query.described = pattern;
    std::string error;
    if (!devices.read(m_tree, query, error)) return EnumerationFailedReport(command, error);
    const std::vector<DeviceNode>& nodes = devices.nodes();
    std::vector<ChosenDevice> chosen = ChooseDevices(nodes, pattern);
    if (chosen.empty()) {
        CommandReport report;
        report.output = NoDeviceOutput(command);
        return report;
    }
    std::vector<EjectOutcome> outcomes;
    for (const ChosenDevice& c : chosen)
        outcomes.push_back({nodes[c.node], c.matchedId, m_tree.requestEject(nodes[c.node])});
    for (const EjectOutcome& o : outcomes)
        if (o.answer.configRet == 0) devices.forget();  // the next command must see it gone
    return BuildEjectReport(outcomes);
}

} // namespace zevdev
