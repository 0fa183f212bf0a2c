// Reading the device library's report of one eject pass: plain functions over its texts.
#pragma once

// The result of an eject pass, of one eject command and of the whole ejection; the worker
// posts it to the dialog as the message's wParam, so the values are fixed.
enum EjectResult {
    EJECT_RESULT_DONE = 0,          // ejected (or nothing left to eject)
    EJECT_RESULT_INCONCLUSIVE = 1,  // a pass that told nothing: try the command again
    EJECT_RESULT_FAILED = -1,       // ends the command; the dialog retries it like a refusal
    EJECT_RESULT_REFUSED = -2,      // refused or invalid device node: worth a retry
};

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

// The pass result for the "error" value after "EJECTED_FAILED": refused for
// "CR_REMOVE_VETOED" and "CR_INVALID_DEVNODE", inconclusive for anything else.
EjectResult EjectErrorResult(const char* error);
