#include "ScenarioBackend.h"
#include "ZevDevDll.h"
#include <windows.h>

namespace zevdev {

CommandReport ScenarioBackend::run(const std::string& command, DeviceList&)
{
    if (command.compare(0, 6, "eject ") != 0) return UnknownCommandReport(command);
    CommandReport report;
    const ScenarioCommand* c = m_scenario.find(command);
    size_t& next = m_nextPass[command];
    const ScenarioPass* pass = nullptr;
    if (c && next < c->passes.size()) pass = &c->passes[next++];
    else if (c && c->repeatLast && !c->passes.empty()) pass = &c->passes.back();
    if (!pass) {
        report.output = NoDeviceOutput(command);
        return report;
    }
    if (pass->waitMs) Sleep(pass->waitMs);
    report.output = pass->output;
    if (!pass->device.empty()) report.devices.push_back(pass->device);
    return report;
}

} // namespace zevdev
