// The thread's last OS error, and (through SystemErr.h) the system's texts for errors.
#pragma once
#include <zvcrypt/SystemErr.h>

// The last OS error of the calling thread; as a side effect its text goes to the first
// text buffer. Leaves the last error as it was.
unsigned long zvGetLastError();
void zvSetLastError(unsigned long code);
