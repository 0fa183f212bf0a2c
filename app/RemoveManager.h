// Ejects the Vaultik token through the device-control library ZevDevDll.dll, with a splash
// window while it works and another afterwards. Runs on the removal dialog's worker thread.
#pragma once
#include "CString.h"
#include "EjectReport.h"
#include "ProductFacts.h"
#include <ZevDevDll.h>

class CRemoveManager {
public:
    CRemoveManager();
    virtual ~CRemoveManager();

    // Shows the first splash, runs both eject commands, hides the splash, shows the second
    // splash for its display time (sleeping that long; with the package setting
    // EjectOKOnlyEjected only after an ejected device). Returns the second command's result:
    // done, or failed or refused (worth a retry); never inconclusive.
    EjectResult EjectVaultik();
    // One eject command in up to 10 passes on one library handle; never inconclusive. Sets
    // *pDeviceEjected (when not null) when a pass reported an ejected device.
    EjectResult Eject(CString command, bool* pDeviceEjected = nullptr);
    // One pass: runs the command and reads the report. Stores the number of ejected devices
    // through pDevicesEjected when not null. Inconclusive, done or refused; never failed.
    EjectResult EjectDevice(ZDHANDLE handle, unsigned long flags, const char* command, long* pDevicesEjected);
};

// The two eject commands, in the order they are issued.
#define EJECT_COMMAND_1 "eject \"" ZV_EJECT_PATTERN_1 "\""
#define EJECT_COMMAND_2 "eject \"" ZV_EJECT_PATTERN_2 "\""
