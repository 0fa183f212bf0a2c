// Runs a program that lies next to the test program and collects what it printed.
#pragma once
#include <string>

struct ChildResult {
    unsigned long exitCode = 0xFFFFFFFF;  // stays so when the program did not start or end
    std::string out, err;
};

ChildResult runSibling(const char* exeName, const std::string& arguments = "");
