// Times one operation by the system tick count (LogProfile: the duration of the last
// log call).
#pragma once

namespace zvcrypt {

class CProfiler {
public:
    CProfiler();
    virtual ~CProfiler();

    // Elapsed := 0, name := name or "The operation", start := now.
    void start(const char* name);
    void resume();
    // Elapsed := seconds since the last start or resume.
    void stop();
    // Adds the seconds since the last start or resume; returns the total.
    double lap();

    double elapsed() const { return mdElapsed; }
    const char* name() const { return mszName; }

private:
    double mdElapsed;
    float mfStart;  // tick count in ms; coarser than 1 ms after long uptimes
    char mszName[100];
};

}  // namespace zvcrypt
