// When the pass loop of one eject command stops: a plain rule over the passes' results.
#pragma once
#include "EjectReport.h"

// Inconclusive passes one command may take.
const int EJECT_MAX_PASSES = 10;

// What the loop knows after the passes so far. A pass that is not inconclusive gives the
// command its result and ends it; a pass that ejects no device after one that did ends it
// too (nothing is left); otherwise the loop goes on until EJECT_MAX_PASSES inconclusive passes.
struct EjectPasses {
    int passes = 0;                          // inconclusive passes
    bool devicesWereEjected = false;         // an earlier pass ejected devices
    EjectResult result = EJECT_RESULT_DONE;  // the command's result so far

    // Takes one pass's result and the devices it ejected; true when another pass follows.
    bool Take(EjectResult pass, long devicesEjected);
};
