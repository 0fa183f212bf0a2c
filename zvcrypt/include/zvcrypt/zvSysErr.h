// The thread's last OS error and the system's text for an error code.
// Texts live in two static 4096-byte buffers shared by all threads without a lock: use a
// text before the next call that fills the same buffer.
#pragma once

// The last OS error of the calling thread; its text goes to the first buffer.
// Leaves the last error as it was.
unsigned long zvGetLastError();
void zvSetLastError(unsigned long code);
// The system's text for code, cut at its first line end, in the first buffer; empty when
// the system has no text for it.
const char* zvErrorText(unsigned long code);
// The system's text for the calling thread's last OS error, in the second buffer.
// The caption is not part of the text.
const char* zvLastErrorText(const char* caption);
