// Small fixtures shared by the shared-memory tests.
#pragma once
#include "TempDir.h"
#include <cstdint>
#include <string>

// A fresh, empty directory under %TEMP%, removed with its files at the end of the scope.
// Whole contents of a file (shared with any writer) and a little-endian field in it.
std::string readFile(const std::string& path);
uint32_t le32(const std::string& bytes, size_t offset);
// A name no other test process uses at the same time.
std::string uniqueName(const char* tag);
// Directory of the running test program (where its helper programs are built).
std::string programDir();
// Runs a command line and returns the exit code of the process (-1 if it did not start).
// outputFile: the process's standard output and error go to that file (the I/O back-ends
// trace every write; a file takes that far faster than a pipe or NUL under Wine).
int runProcess(const std::string& commandLine, const char* outputFile = nullptr);
