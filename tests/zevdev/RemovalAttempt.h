// One removal attempt as the program makes it: both eject commands, each in its pass loop on
// a library handle of its own, read with the program's own rules (EjectPasses, EjectReport),
// on a library object over any device tree instead of the DLL's exports.
#pragma once
#include "Library.h"

extern const char* const EJECT_COMMAND_40;  // matches nothing on a current token
extern const char* const EJECT_COMMAND_41;

struct RemovalAttempt {
    int result = 0;      // the second command's result: 0 done, -2 refused
    int passes = 0;      // passes of both commands
    int handles = 0;     // library handles used
};

// With `handlePerPass` every pass gets a new handle: each pass then reads the device list,
// as the library did before it kept one list per handle (the benchmark's "before").
RemovalAttempt RunRemovalAttempt(zevdev::Library& library, bool handlePerPass = false);
