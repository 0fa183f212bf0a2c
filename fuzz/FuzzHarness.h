// The loop every fuzz program shares: random and mutated inputs for a given time, each
// one checked by the program's own rules; failures and crashes leave a reproducer file.
//   <program>.exe [--seconds N] [--seed S] [--out FOLDER] [--replay FILE]
// It ends with one line: inputs run, inputs per second, failures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// xorshift64*: fast, and the same seed gives the same inputs.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed ? seed : 0x9E3779B97F4A7C15ULL) {}
    uint64_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1DULL;
    }
    size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
    bool OneIn(size_t n) { return Below(n) == 0; }
    char Pick(const char* chars) { return chars[Below(std::char_traits<char>::length(chars))]; }

private:
    uint64_t m_state;
};

// Changes input in place a few times: flipped, inserted, deleted, repeated and spliced
// bytes, with bytes drawn from alphabet or anything but zero.
void Mutate(Rng& rng, std::string& input, const char* alphabet, const std::vector<std::string>& corpus);

struct Target {
    const char* name;
    // A fresh input (the harness mutates earlier ones as well).
    std::string (*generate)(Rng& rng);
    // Checks one input; false with why filled in when a rule is broken.
    bool (*check)(const std::string& input, std::string& why);
    const char* alphabet;               // bytes that matter to this target
    std::vector<std::string> seeds;     // hand-picked inputs, run first and mutated later
};

int Run(const Target& target, int argc, char** argv);

} // namespace fuzz
