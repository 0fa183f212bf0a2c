// The package's run-time files: copied beside the relocated program, deleted by the batch.
// The names live in ProductFacts.txt.
#pragma once
#include "ProductFacts.h"

// The program's own file name, as the start folder search and the batch use it.
extern const char* const PROGRAM_FILE_NAME;           // "Vacater.exe"
const int PACKAGE_FILE_COUNT = ZV_PACKAGE_FILE_COUNT;
extern const char* const PACKAGE_FILES[PACKAGE_FILE_COUNT];
