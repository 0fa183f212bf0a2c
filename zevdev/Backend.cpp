#include "Backend.h"
#include "ZevDevDll.h"

namespace zevdev {

std::string NoDeviceOutput(const std::string& command)
{
    return command + "\r\nno matching device found\r\ndevice_s_ejected=0\r\n";
}

CommandReport UnknownCommandReport(const std::string& command)
{
    CommandReport report;
    report.result = ZD_E_COMMAND;
    report.output = "unknown command: " + command + "\r\n";
    return report;
}

} // namespace zevdev
