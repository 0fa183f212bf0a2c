// Reading the device library's report of one eject pass: plain functions over its texts.
#pragma once

// Looks for "device_s_ejected=" in the command output. Returns false when it is absent
// (count untouched). "device_s_ejected=0" anywhere gives 0; otherwise the decimal number
// after the first occurrence (leading blanks skipped, stops at the first non-digit, no
// digits give 0).
bool FindDevicesEjected(const char* output, long* pCount);

enum EjectInfo {
    EJECT_INFO_NONE,      // empty or unknown value: the pass is inconclusive
    EJECT_INFO_EJECTED,   // "EJECTED"
    EJECT_INFO_FAILED,    // "EJECTED_FAILED": the "error" value tells why
};
// Exact, case-sensitive comparison of the device's "info" value.
EjectInfo ClassifyEjectInfo(const char* info);

// The pass result for the "error" value after "EJECTED_FAILED": -2 for "CR_REMOVE_VETOED"
// and "CR_INVALID_DEVNODE" (worth a retry), 1 (inconclusive) for anything else.
int EjectErrorResult(const char* error);
