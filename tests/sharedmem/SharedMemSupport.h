// Small fixtures shared by the shared-memory tests.
#pragma once
#include <cstdint>
#include <string>

// A little-endian field in a segment's or file's bytes (0xDEADBEEF when it lies outside).
uint32_t le32(const std::string& bytes, size_t offset);
// A name no other test process uses at the same time.
std::string uniqueName(const char* tag);
