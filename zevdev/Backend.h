// A back-end answers the library's commands: the scenario player for tests and the demo,
// or the machine's device tree. The library around it keeps handles and the journal.
#pragma once
#include "DeviceList.h"
#include "DeviceRecord.h"
#include <string>
#include <vector>

namespace zevdev {

// What one command produced.
struct CommandReport {
    int result = 0;                      // ZD_OK or a ZD_E_* code of ZDAPI_ZevDevExec
    std::string output;                  // text of ZDAPI_GetOutput
    std::vector<DeviceRecord> devices;   // records 0, 1, ... after ZDAPI_ParseCurrentOutput
};

class Backend {
public:
    virtual ~Backend() {}
    // `devices` is the device list of the handle the command runs on.
    virtual CommandReport run(const std::string& command, DeviceList& devices) = 0;
};

// The report of an eject command when no device matches (the same from every back-end).
std::string NoDeviceOutput(const std::string& command);
// The report of a command the library does not understand.
CommandReport UnknownCommandReport(const std::string& command);

} // namespace zevdev
