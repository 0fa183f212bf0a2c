// ZevDevDll.dll: the device-control library. Every text is narrow and NUL-terminated;
// output functions write at most size - 1 characters plus the terminator and report the
// text's full length (without the terminator) through the length pointer when it is not
// null, so a caller whose buffer was too small learns the size it needs.
// Results: 0 done, negative on failure (ZD_E_*). Plain C calling convention, plain names.
#pragma once

#ifdef ZEVDEV_BUILD
#define ZDAPI_EXPORT __declspec(dllexport)
#else
#define ZDAPI_EXPORT __declspec(dllimport)
#endif

typedef void* ZDHANDLE;

#define ZD_OK 0
#define ZD_E_HANDLE (-1)    // not a handle of this library
#define ZD_E_ARGUMENT (-2)  // null buffer, zero size or null text
#define ZD_E_TRUNCATED (-3) // the text did not fit; what fitted was written
#define ZD_E_NODEVICE (-4)  // no device record with that index
#define ZD_E_COMMAND (-5)   // the command is not understood
#define ZD_E_SYSTEM (-6)    // the device tree could not be read

#ifdef __cplusplus
extern "C" {
#endif

// A new session; each keeps its own current output and device records.
ZDAPI_EXPORT ZDHANDLE ZDAPI_CreateHandle(void);
// Runs a command (`eject "PATTERN"`); its report becomes the current output.
ZDAPI_EXPORT int ZDAPI_ZevDevExec(ZDHANDLE handle, unsigned long flags, const char* command);
// Copies the current output.
ZDAPI_EXPORT int ZDAPI_GetOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length);
// Splits the current output into device records.
ZDAPI_EXPORT int ZDAPI_ParseCurrentOutput(ZDHANDLE handle, unsigned long flags);
// Copies the text of device record `index`.
ZDAPI_EXPORT int ZDAPI_GetDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size,
                                 unsigned long* length);
// Copies the value of field `key` of device record `index` (empty when the field is absent).
ZDAPI_EXPORT int ZDAPI_GetDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer,
                                     unsigned long size, unsigned long* length);
// Releases the handle that *pHandle holds and sets *pHandle to null.
ZDAPI_EXPORT int ZDAPI_CloseHandle(ZDHANDLE* pHandle);

#ifdef __cplusplus
}
#endif
