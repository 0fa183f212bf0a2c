#include "FuzzHarness.h"
#include "FileBytes.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

namespace {

// What a crash handler needs: the input being run and where its reproducer goes.
const std::string* g_current = nullptr;
std::string g_crashFile;

// An undefined-behaviour trap or a bad access: keep the input that did it, then end.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info)
{
    unsigned long code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    if (g_current) WriteBytes(g_crashFile, *g_current);
    fprintf(stdout, "CRASH: exception 0x%08lX%s; reproducer: %s\n", code,
            code == EXCEPTION_ILLEGAL_INSTRUCTION ? " (undefined behaviour trapped)" : "", g_crashFile.c_str());
    fflush(stdout);
    ExitProcess(3);
    return EXCEPTION_EXECUTE_HANDLER;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& freq)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

} // namespace

void Mutate(Rng& rng, std::string& input, const char* alphabet, const std::vector<std::string>& corpus)
{
    auto byte = [&] { return rng.OneIn(4) ? static_cast<char>(1 + rng.Below(255)) : rng.Pick(alphabet); };
    for (size_t steps = 1 + rng.Below(4); steps; --steps) {
        size_t at = rng.Below(input.size() + 1);
        switch (rng.Below(6)) {
        case 0:
            if (!input.empty()) input[rng.Below(input.size())] = byte();
            break;
        case 1: input.insert(at, 1 + rng.Below(3), byte()); break;
        case 2: input.erase(at, 1 + rng.Below(8)); break;
        case 3:   // repeat a piece, up to long values and many options
            if (!input.empty()) {
                size_t from = rng.Below(input.size()), n = 1 + rng.Below(std::min<size_t>(input.size() - from, 64));
                std::string piece = input.substr(from, n);
                for (size_t k = 1 + rng.Below(rng.OneIn(8) ? 400 : 8); k && input.size() < 200000; --k)
                    input.insert(at, piece);
            }
            break;
        case 4:
            if (!corpus.empty()) {
                const std::string& other = corpus[rng.Below(corpus.size())];
                size_t from = rng.Below(other.size() + 1);
                input.insert(at, other.substr(from, rng.Below(other.size() - from + 1)));
            }
            break;
        default: input.resize(at); break;
        }
    }
}

int Run(const Target& target, int argc, char** argv)
{
    double seconds = 60;
    uint64_t seed = GetTickCount();
    std::string out = ".";
    const char* replay = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--seconds")) seconds = atof(argv[i + 1]);
        else if (!strcmp(argv[i], "--seed")) seed = strtoull(argv[i + 1], nullptr, 10);
        else if (!strcmp(argv[i], "--out")) out = argv[i + 1];
        else if (!strcmp(argv[i], "--replay")) replay = argv[i + 1];
    }
    g_crashFile = out + "\\" + target.name + "-crash.bin";
    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    std::string why;
    if (replay) {
        if (GetFileAttributesA(replay) == INVALID_FILE_ATTRIBUTES) {
            printf("%s: cannot read %s\n", target.name, replay);
            return 2;
        }
        std::string input = ReadBytes(replay);
        g_current = &input;
        bool ok = target.check(input, why);
        printf("%s: replay of %s: %s%s\n", target.name, replay, ok ? "passes" : "FAILS: ", ok ? "" : why.c_str());
        return ok ? 0 : 1;
    }

    Rng rng(seed);
    std::vector<std::string> pool(target.seeds);   // recent inputs to mutate and splice
    LARGE_INTEGER freq, start;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    unsigned long long inputs = 0, failures = 0;
    std::string input;
    g_current = &input;
    for (size_t next = 0; ; ++inputs) {
        if ((inputs & 255) == 0 && Seconds(start, freq) >= seconds) break;
        if (next < target.seeds.size()) input = target.seeds[next++];
        else if (pool.empty() || rng.OneIn(3)) input = target.generate(rng);
        else { input = pool[rng.Below(pool.size())]; Mutate(rng, input, target.alphabet, pool); }
        if (!target.check(input, why)) {
            ++failures;
            std::string file = out + "\\" + target.name + "-fail" + std::to_string(failures) + ".bin";
            WriteBytes(file, input);
            printf("FAIL: %s; reproducer: %s\n", why.c_str(), file.c_str());
            if (failures >= 5) { ++inputs; break; }
        }
        if (pool.size() < 64) pool.push_back(input);
        else if (rng.OneIn(16)) pool[rng.Below(pool.size())] = input;
    }
    double took = Seconds(start, freq);
    printf("%s: %llu inputs in %.1f s, %.0f per second, %llu failures (seed %llu)\n", target.name, inputs, took,
           took > 0 ? static_cast<double>(inputs) / took : 0.0, failures, static_cast<unsigned long long>(seed));
    return failures ? 1 : 0;
}

} // namespace fuzz
