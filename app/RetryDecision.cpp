#include "RetryDecision.h"

WPARAM EjectResultParam(EjectResult result)
{
    return static_cast<WPARAM>(static_cast<INT_PTR>(result));
}

RetryDecision DecideOnResult(WPARAM result, unsigned long retries)
{
    if (result == EjectResultParam(EJECT_RESULT_DONE)) return RETRY_FINISH;
    if (result == EjectResultParam(EJECT_RESULT_FAILED) || result == EjectResultParam(EJECT_RESULT_REFUSED))
        return retries < MAX_RETRIES ? RETRY_AGAIN : RETRY_GIVE_UP;
    return RETRY_IGNORE;
}
