// Scenarios of the device library: for each eject command, the passes it plays
// one after another. Parsing is a plain function so tests can call it directly.
#pragma once
#include "DeviceRecord.h"
#include <string>
#include <vector>

namespace zevdev {

// One execution of a command: its report and the record of the device it found.
struct ScenarioPass {
    std::string output;   // text of ZDAPI_GetOutput
    DeviceRecord device;  // record 0: "info", "error", ... in file order; empty: no device
    unsigned long waitMs = 0;  // how long the execution takes, as on a slow device tree
};

struct ScenarioCommand {
    std::string text;  // the command exactly as the program passes it
    std::vector<ScenarioPass> passes;
    bool repeatLast = false;  // when the passes are used up, the last one plays again
};

struct Scenario {
    std::vector<ScenarioCommand> commands;
    const ScenarioCommand* find(const std::string& command) const;
};

// Reads scenario text (format in zevdev/README.md). On a mistake returns false and sets
// `error` to "line N: why"; `scenario` then holds what was read before that line.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error);

// "\r", "\n" and "\t" become carriage return, line feed and tab; every other backslash
// stays a literal backslash (so "usb\vid_3e7a" needs no doubling).
std::string UnescapeScenarioText(const std::string& text);

} // namespace zevdev
