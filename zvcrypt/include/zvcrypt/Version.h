// Version of the zvcrypt library.
#pragma once
#define ZVCRYPT_VERSION_MAJOR 1
#define ZVCRYPT_VERSION_MINOR 0
#define ZVCRYPT_VERSION_TEXT "1.0"
