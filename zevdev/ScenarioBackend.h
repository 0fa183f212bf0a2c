// The scenario back-end: plays, for each eject command, the passes a scenario gives, one
// execution after another. Positions carry over between handles until the library resets.
#pragma once
#include "Backend.h"
#include "Scenario.h"
#include <map>

namespace zevdev {

class ScenarioBackend : public Backend {
public:
    explicit ScenarioBackend(const Scenario& scenario) : m_scenario(scenario) {}
    CommandReport run(const std::string& command, DeviceList& devices) override;

private:
    Scenario m_scenario;
    std::map<std::string, size_t> m_nextPass;  // per command text
};

} // namespace zevdev
