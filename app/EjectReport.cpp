#include "EjectReport.h"
#include <climits>
#include <cstring>

bool FindDevicesEjected(const char* output, long* pCount)
{
    static const char KEY[] = "device_s_ejected=";
    if (!output) return false;
    long count = 0;
    if (strstr(output, "device_s_ejected=0")) {
        count = 0;
    } else if (const char* p = strstr(output, KEY)) {
        p += sizeof KEY - 1;
        while (*p == ' ' || *p == '\t') ++p;
        for (; *p >= '0' && *p <= '9'; ++p) {
            int digit = *p - '0';
            count = count > (LONG_MAX - digit) / 10 ? LONG_MAX : count * 10 + digit;
        }
    } else {
        return false;
    }
    if (pCount) *pCount = count;
    return true;
}

EjectInfo ClassifyEjectInfo(const char* info)
{
    if (!info) return EJECT_INFO_NONE;
    if (strcmp(info, "EJECTED") == 0) return EJECT_INFO_EJECTED;
    if (strcmp(info, "EJECTED_FAILED") == 0) return EJECT_INFO_FAILED;
    return EJECT_INFO_NONE;
}

EjectResult EjectErrorResult(const char* error)
{
    if (error && (strcmp(error, "CR_REMOVE_VETOED") == 0 || strcmp(error, "CR_INVALID_DEVNODE") == 0))
        return EJECT_RESULT_REFUSED;
    return EJECT_RESULT_INCONCLUSIVE;
}
