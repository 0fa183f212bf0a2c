// Transitional: the ring log's back-end is private to the library (zvcrypt/src/LogRing.h).
// The log file tests still include it by this name; this file goes once they include
// "LogRing.h" directly (their target has zvcrypt/src on its include path).
#pragma once
#include "../../src/LogRing.h"
