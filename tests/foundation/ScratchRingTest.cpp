// The process-wide ring of 200 scratch Blobs.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <windows.h>
#include <set>
#include <vector>

using namespace zvcrypt;

TEST(ScratchRing, Request201ReturnsTheFirstSlotAgain)
{
    Blob* first = Blob::getTempBlob(512);
    std::set<Blob*> seen{first};
    for (unsigned long i = 1; i < Blob::TEMP_BLOB_COUNT; ++i)
        seen.insert(Blob::getTempBlob(512));
    EXPECT_EQ(Blob::TEMP_BLOB_COUNT, seen.size());  // 200 different slots
    EXPECT_EQ(first, Blob::getTempBlob(512));
}

TEST(ScratchRing, SlotIsClearedTextAndLargeEnough)
{
    Blob* slot = Blob::getTempBlob(512);
    *slot = Blob(L"wide leftovers");
    for (unsigned long i = 1; i < Blob::TEMP_BLOB_COUNT; ++i)
        Blob::getTempBlob(512);
    Blob* again = Blob::getTempBlob(2000);
    ASSERT_EQ(slot, again);
    EXPECT_EQ(0u, again->getLength());
    EXPECT_GE(again->getSize(), 2000u);
    EXPECT_TRUE(again->getFormat() & BLOB_TEXT);
    EXPECT_EQ(0, again->getData()[0]);
}

namespace {

constexpr int THREADS = 4;
constexpr int PER_THREAD = Blob::TEMP_BLOB_COUNT / THREADS;

struct Worker {
    HANDLE start;
    std::vector<Blob*> slots;
};

DWORD WINAPI takeSlots(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    WaitForSingleObject(w->start, INFINITE);
    for (int i = 0; i < PER_THREAD; ++i) {
        Blob* b = Blob::getTempBlob(512);
        w->slots.push_back(b);
        // Use it as a caller would; a slot shared with another thread shows up below.
        *b = Blob("scratch");
    }
    return 0;
}

}  // namespace

TEST(ScratchRing, ThreadsNeverShareASlotInOnePass)
{
    // 4 threads x 50 requests = one pass of the ring, whatever the starting index.
    for (int round = 0; round < 50; ++round) {
        HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Worker workers[THREADS];
        HANDLE threads[THREADS];
        for (int t = 0; t < THREADS; ++t) {
            workers[t].start = start;
            workers[t].slots.reserve(PER_THREAD);
            threads[t] = CreateThread(nullptr, 0, takeSlots, &workers[t], 0, nullptr);
            ASSERT_NE(nullptr, threads[t]);
        }
        SetEvent(start);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(THREADS, threads, TRUE, 60000));
        std::set<Blob*> all;
        for (int t = 0; t < THREADS; ++t) {
            CloseHandle(threads[t]);
            all.insert(workers[t].slots.begin(), workers[t].slots.end());
        }
        CloseHandle(start);
        ASSERT_EQ(static_cast<size_t>(Blob::TEMP_BLOB_COUNT), all.size()) << "round " << round;
    }
}
