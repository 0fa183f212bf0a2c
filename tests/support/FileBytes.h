// The bytes of a file, read and written whole, for tests that compare what a program left.
#pragma once
#include <string>

// Everything in the file, also while another process still writes or holds it; "" when
// it cannot be opened.
std::string ReadBytes(const std::string& path);
// Replaces the file's contents; false when it cannot be written whole.
bool WriteBytes(const std::string& path, const std::string& bytes);
// ASCII text as a UTF-16LE file holds it: each character followed by a zero byte.
std::string Utf16Bytes(const std::string& ascii);
