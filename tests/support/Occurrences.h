// How often a text holds a needle, overlapping matches counted: tests count lines in logs.
#pragma once
#include <string>

size_t Occurrences(const std::string& text, const std::string& needle);
