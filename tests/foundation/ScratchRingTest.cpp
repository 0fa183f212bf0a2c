// The process-wide ring of 200 scratch Blobs.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <windows.h>
#include <set>
#include <vector>

using namespace zvcrypt;

TEST(ScratchRing, Request201HandsOutTheFirstSlotAgainClearedAndLargeEnough)
{
    Blob* first = Blob::getTempBlob(512);
    *first = Blob(L"wide leftovers");
    std::set<Blob*> seen{first};
    for (unsigned long i = 1; i < Blob::TEMP_BLOB_COUNT; ++i)
        seen.insert(Blob::getTempBlob(512));
    EXPECT_EQ(Blob::TEMP_BLOB_COUNT, seen.size());
    Blob* again = Blob::getTempBlob(2000);
    ASSERT_EQ(first, again);
    EXPECT_EQ(0u, again->getLength());
    EXPECT_GE(again->getSize(), 2000u);
    EXPECT_TRUE(again->getFormat() & BLOB_TEXT);
    EXPECT_EQ(0, again->getData()[0]);
}

namespace {
constexpr int THREADS = 4, PER_THREAD = Blob::TEMP_BLOB_COUNT / THREADS;
struct Worker {
    HANDLE start;
    std::vector<Blob*> slots;
};

DWORD WINAPI takeSlots(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    WaitForSingleObject(w->start, INFINITE);
    for (int i = 0; i < PER_THREAD; ++i) {
        w->slots.push_back(Blob::getTempBlob(512));
        *w->slots.back() = Blob("scratch");  // used as a caller would
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
            threads[t] = CreateThread(nullptr, 0, takeSlots, &workers[t], 0, nullptr);
        }
        SetEvent(start);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(THREADS, threads, TRUE, 60000));
        std::set<Blob*> all;
        for (int t = 0; t < THREADS; ++t) {
            CloseHandle(threads[t]);
            all.insert(workers[t].slots.begin(), workers[t].slots.end());
        }
        CloseHandle(start);
        ASSERT_EQ(size_t(Blob::TEMP_BLOB_COUNT), all.size()) << "round " << round;
    }
}
