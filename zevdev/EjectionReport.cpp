#include "EjectionReport.h"
#include "PnpNames.h"
#include "ZevDevDll.h"

namespace zevdev {

namespace {

bool Ejected(const EjectOutcome& o) { return o.answer.configRet == 0; }

} // namespace

CommandReport BuildEjectReport(const std::vector<EjectOutcome>& outcomes)
{
    std::vector<const EjectOutcome*> order;
    for (const EjectOutcome& o : outcomes)
        if (!Ejected(o)) order.push_back(&o);
    for (const EjectOutcome& o : outcomes)
        if (Ejected(o)) order.push_back(&o);

    CommandReport report;
    report.output = std::to_string(outcomes.size()) + " device(s) found\r\n";
    size_t ejected = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        const EjectOutcome& o = *order[i];
        DeviceRecord record;
        std::string info = Ejected(o) ? "EJECTED" : "EJECTED_FAILED";
        std::string error = ConfigRetName(o.answer.configRet);
        std::string vetoType = VetoTypeName(o.answer.vetoType);
        std::string vetoName = OneLine(o.answer.vetoName);
        record.set("info", info);
        record.set("error", error);
        record.set("veto_type", vetoType);
        record.set("veto_name", vetoName);
        record.set("instance_id", OneLine(o.node.instanceId));
        record.set("hardware_id", OneLine(o.matchedId));
        record.set("description", OneLine(o.node.description));
        report.devices.push_back(record);

        std::string line = "device " + std::to_string(i) + ": " + OneLine(o.node.instanceId) + " " + info;
        if (Ejected(o)) ++ejected;
        else if (o.answer.vetoType != 0 || !vetoName.empty())
            line += " " + error + " " + vetoType + " \"" + vetoName + "\"";
        else line += " " + error;
        report.output += line + "\r\n";
    }
    report.output += "device_s_ejected=" + std::to_string(ejected) + "\r\n";
    return report;
}

CommandReport EnumerationFailedReport(const std::string& command, const std::string& error)
{
    CommandReport report;
    report.result = ZD_E_SYSTEM;
    report.output = command + "\r\ndevice enumeration failed: " + OneLine(error) + "\r\ndevice_s_ejected=0\r\n";
    return report;
}

} // namespace zevdev
