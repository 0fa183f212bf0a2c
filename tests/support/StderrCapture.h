// Sends standard error to a temporary file while the object lives, in binary mode, so a
// test sees the exact bytes a component printed.
#pragma once
#include <string>

class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    std::string text();  // everything written so far

private:
    char m_path[260] = {};
    int m_saved = -1;
};
