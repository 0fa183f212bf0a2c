// UTF-16LE text of a wide log file, converted for printing.
#pragma once
#include <string>

namespace zvcrypt {

// The UTF-8 form of length bytes of UTF-16LE text. A lone surrogate becomes U+FFFD; an odd
// last byte is ignored.
std::string utf16leToUtf8(const char* bytes, size_t length);

}  // namespace zvcrypt
