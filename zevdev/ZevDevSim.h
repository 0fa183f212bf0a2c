// Extra exports of the test build of ZevDevDll.dll (ZEVDEV_SCENARIOS) for tests and the demo:
// the journal, a reset, a hook. The shipped library does not export them.
#pragma once
#include "ZevDevDll.h"

#ifdef __cplusplus
extern "C" {
#endif

// Forgets the journal, the back-end with its scenario and every pass position; the next
// ZDAPI_CreateHandle chooses the back-end again (a scenario from ZEVDEV_SCENARIO or beside
// the DLL, else the device tree).
ZDAPI_EXPORT void ZDSIM_Reset(void);
// Copies the journal: one line per call, "\n"-terminated, fields separated by tabs.
// Returns the full length of the journal; writes at most size - 1 characters.
ZDAPI_EXPORT unsigned long ZDSIM_GetJournal(char* buffer, unsigned long size);
// Called on the caller's thread at every ZDAPI_ZevDevExec, before the command runs.
typedef void (*ZDSIM_EXEC_HOOK)(const char* command, void* context);
ZDAPI_EXPORT void ZDSIM_SetExecHook(ZDSIM_EXEC_HOOK hook, void* context);

#ifdef __cplusplus
}
#endif
