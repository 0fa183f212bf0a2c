#include "PackageFiles.h"

const char* const PROGRAM_FILE_NAME = "Vacater.exe";
const char* const PACKAGE_FILES[PACKAGE_FILE_COUNT] = {
    "ZevDevDll.dll", "application.ini", "removesplash.bmp", "ejectoksplash.bmp", "msvcp60.dll",
};
