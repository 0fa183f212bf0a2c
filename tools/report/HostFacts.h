// Gathers the support report's facts from this PC: thin reads of the system, the registry,
// the files and the device tree. Nothing is changed on the PC.
#pragma once
#include "DeviceTree.h"
#include "SupportReport.h"

namespace report {

// programFolder: where the package's files are looked for (the report program's folder).
ReportFacts GatherHostFacts(const std::wstring& programFolder, zevdev::DeviceTree& tree);

} // namespace report
