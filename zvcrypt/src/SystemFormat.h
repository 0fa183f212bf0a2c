// printf-style formatting and stream output through msvcrt.dll's own functions. Calling the
// C library's snprintf or fprintf from C++ links MinGW's C99 printf instead, with its
// floating-point formatting: about 13 KiB in every program, for texts that hold none.
// Our formats are %s %c %d %ld %lu %x and %0NX, which msvcrt formats byte for byte like
// the C99 printf; it has no %zu, %lld or %hh and prints %p in capitals, so none is used.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <initializer_list>

namespace zvcrypt {

// Like vsnprintf: at most size - 1 characters, always terminated (size 0 writes nothing).
// Returns the characters written, the terminator not counted.
size_t formatTextV(char* out, size_t size, const char* format, va_list args);
size_t formatText(char* out, size_t size, const char* format, ...) __attribute__((format(ms_printf, 3, 4)));

// Writes the texts in order under one lock of the stream, as one fprintf does: no other
// thread's output lands between them. A null text writes nothing.
void writeTexts(FILE* stream, std::initializer_list<const char*> texts);

}  // namespace zvcrypt
