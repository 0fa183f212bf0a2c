// What the removal dialog does with the worker's result: a plain rule, so the retry count
// can be checked without a dialog.
#pragma once
#include "EjectReport.h"
#include <windows.h>

// Failed results that lead to a new request; the next failure ends the dialog.
const unsigned long MAX_RETRIES = 10;

enum RetryDecision {
    RETRY_IGNORE,    // not a result the dialog knows: nothing happens
    RETRY_FINISH,    // done: stop the worker and end
    RETRY_AGAIN,     // count one more retry and ask again after the retry timer
    RETRY_GIVE_UP,   // failed with the retries used up: say so, stop the worker and end
};

// An ejection result as the wParam of the worker's message: sign-extended, so the negative
// results are the largest values.
WPARAM EjectResultParam(EjectResult result);

// The decision for a result (the message's wParam) after `retries` retries so far.
RetryDecision DecideOnResult(WPARAM result, unsigned long retries);
