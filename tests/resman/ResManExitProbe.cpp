// Records a handle and a memory block that are never released, then, after every other
// static object of the process is gone, asks the tracker for a name and prints the answer.
#include <cstdio>
#include <zvcrypt/Blob.h>
#include <zvcrypt/ResMan.h>

namespace {
struct LastWord {
    ~LastWord()
    {
        zvcrypt::Blob name = zvcrypt::zvResManInit::findName(0xBEEF);
        std::printf("after exit: %s\n", name.getString());
        std::fflush(stdout);
    }
};
// Constructed before, and so destroyed after, the library's own tracker.
__attribute__((init_priority(101))) LastWord sLastWord;
} // namespace

int main()
{
    zvcrypt::zvResManInit::addHandle(0xBEEF, zvcrypt::Blob("probe handle"));
    zvcrypt::zvResManInit::addMemory(0xF00D, "probe block");
    zvcrypt::zvResManInit::addMemory(0xF00E, nullptr);
    zvcrypt::Blob name = zvcrypt::zvResManInit::findName(0xBEEF);
    std::printf("running: %s\n", name.getString());
    std::fflush(stdout);
    return 0;
}
