// The system's text for an OS error code. Texts live in two static 4096-byte buffers
// shared by all threads without a lock: use a text before the next call that fills the
// same buffer.
#pragma once

// The system's text for code, cut at its first line end, in the first buffer (which
// zvGetLastError fills too); empty when the system has no text for it.
const char* zvErrorText(unsigned long code);
// The system's text for the calling thread's last OS error, in the second buffer.
// The caption is not part of the text.
const char* zvLastErrorText(const char* caption);
