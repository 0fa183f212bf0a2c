// Follows a growing log: each look at the file's bytes gives the lines that are new since
// the last look, in the order they were written, also across a ring's wrap.
#pragma once
#include <string>

namespace zvcrypt {

class LogFollower {
public:
    // The complete lines that appeared since the last call, as UTF-8 for a wide log. The
    // first call gives the whole log (a ring's old lines first). A file that shrank, changed
    // its kind or its first bytes (a new start time) was made anew and is given from its
    // beginning.
    std::string next(const std::string& bytes);

private:
    int mnKind = 0;        // kind seen last time; 0 before the first look
    bool mbWide = false;
    size_t mulPos = 0;     // everything in front of this offset has been given
    std::string mHead;     // plain log: its first bytes (mark, preamble, start time)
};

}  // namespace zvcrypt
