// printf-style formatting through msvcrt.dll's own printf. Calling vsnprintf or snprintf
// from C++ links MinGW's C99 printf instead, with its floating-point formatting: about
// 13 KiB in every program, for texts that hold none. Our formats are %s %c %d %ld %x,
// which msvcrt formats byte for byte like the C99 printf; it has no %zu, %lld or %hh.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>

// The whole text, whatever its length, into out (replaced). False when msvcrt refuses the
// format. out must not be a string that an argument points into.
bool FormatStringV(std::string& out, const char* format, va_list ap);
bool FormatString(std::string& out, const char* format, ...) __attribute__((format(ms_printf, 2, 3)));

// A pointer as the C99 printf's "%p" shows it, lower-case hex filled with zeros to the
// pointer's width (msvcrt's "%p" is upper-case): FORMAT_POINTER with PointerValue(p).
#ifdef _WIN64
#define FORMAT_POINTER "%016I64x"
#else
#define FORMAT_POINTER "%08x"
#endif
inline uintptr_t PointerValue(const void* p) { return reinterpret_cast<uintptr_t>(p); }
