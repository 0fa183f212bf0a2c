#include "PackageFiles.h"

const char* const PROGRAM_FILE_NAME = ZV_PROGRAM_FILE;
const char* const PACKAGE_FILES[PACKAGE_FILE_COUNT] = {ZV_PACKAGE_FILE_LIST};
