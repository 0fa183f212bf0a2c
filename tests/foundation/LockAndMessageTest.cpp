// The re-entrant lock with its scope guard, and the broadcast of numeric codes.
#include <gtest/gtest.h>
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/SyncObjectLocker.h>
#include <zvcrypt/zvCritSec.h>
#include <zvcrypt/zvMessage.h>
#include <zvcrypt/zvMessageClient.h>
#include "StderrCapture.h"
#include <windows.h>
#include <vector>

using namespace zvcrypt;

namespace {
struct Shared {
    zvCritSec lock;
    long counter = 0;  // plain on purpose: only the lock keeps increments whole
};

DWORD WINAPI incrementNested(void* arg)
{
    Shared* s = static_cast<Shared*>(arg);
    for (int i = 0; i < 20000; ++i) {
        SyncObjectLocker<zvCritSec> outer(&s->lock);
        SyncObjectLocker<zvCritSec> inner(&s->lock);  // the same thread again
        long v = s->counter;
        if ((i & 1023) == 0)
            Sleep(0);
        s->counter = v + 1;
    }
    return 0;
}

DWORD WINAPI lockOnce(void* lock)
{
    static_cast<zvCritSec*>(lock)->lock();
    static_cast<zvCritSec*>(lock)->unlock();
    return 0;
}

// True when another thread gets the lock within the wait; if not, the caller's last hold
// is released so that thread can finish.
bool othersCanLock(zvCritSec& lock, DWORD waitMs)
{
    HANDLE t = CreateThread(nullptr, 0, lockOnce, &lock, 0, nullptr);
    bool done = WaitForSingleObject(t, waitMs) == WAIT_OBJECT_0;
    if (!done) {
        lock.unlock();
        WaitForSingleObject(t, 60000);
    }
    CloseHandle(t);
    return done;
}
}  // namespace

TEST(CritSec, ReentrantLockSerialisesThreadsAndNeedsOneUnlockPerLock)
{
    Shared s;
    HANDLE threads[4];
    for (HANDLE& t : threads)
        t = CreateThread(nullptr, 0, incrementNested, &s, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, 120000));
    for (HANDLE t : threads)
        CloseHandle(t);
    EXPECT_EQ(4 * 20000, s.counter);

    s.lock.lock();
    s.lock.lock();
    s.lock.unlock();
    EXPECT_FALSE(othersCanLock(s.lock, 200));  // still held once
    EXPECT_TRUE(othersCanLock(s.lock, 60000));
}

namespace {
using Codes = std::vector<unsigned long>;

class Recorder : public zvMessageClient {
public:
    explicit Recorder(unsigned long mask, zvMessageClient* victim = nullptr)
        : zvMessageClient(mask), m_victim(victim) {}
    bool zvMessageAction(unsigned long code) override
    {
        codes.push_back(code);
        if (m_victim)
            zvMessage::unregisterClient(m_victim);
        if (code == ZV_MSG_LOG_ENDING && endFromInside) {
            endFromInside = false;
            zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
        }
        return true;
    }
    Codes codes;
    bool endFromInside = false;

private:
    zvMessageClient* m_victim;
};

// Every test starts and ends with a fresh broadcaster: the ending code destroys the old one.
class Broadcast : public ::testing::Test {
protected:
    void SetUp() override { end(); }
    void TearDown() override { end(); }
    static void end() { zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING); }
    StderrCapture m_quiet;
};
}  // namespace

TEST_F(Broadcast, ALateReceiverHearsTheEarlierCodesItsMaskWants)
{
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    zvMessage::getInstance()->broadcast(2);
    Recorder late(ZV_MSG_LOG_STARTED | ZV_MSG_LOG_ENDING), startOnly(ZV_MSG_LOG_STARTED), none(0);
    for (Recorder* r : {&late, &startOnly, &none})
        EXPECT_TRUE(zvMessage::registerClient(r));
    EXPECT_EQ(Codes{4}, late.codes);  // replayed; 2 is in nobody's mask
    EXPECT_EQ(1, zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED));
    zvMessage::getInstance()->broadcast(12);  // both bits: only a mask holding both
    EXPECT_EQ((Codes{4, 4, 12}), late.codes);
    EXPECT_EQ((Codes{4, 4}), startOnly.codes);
    EXPECT_TRUE(none.codes.empty());
}

TEST_F(Broadcast, TheEndingCodeDestroysTheBroadcasterAndItsHistoryOnce)
{
    Recorder early(12), after(ZV_MSG_LOG_ENDING);
    early.endFromInside = true;
    zvMessage::registerClient(&early);
    zvMessage::registerClient(&after);
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    EXPECT_EQ(1u, zvMessage::getHistoryCount());
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
    EXPECT_EQ((Codes{4, 8, 8}), early.codes);  // the outer and the inner ending
    EXPECT_EQ(Codes{8}, after.codes);  // the outer walk stops once the lists are gone
    EXPECT_EQ(0u, zvMessage::getClientCount());
    EXPECT_EQ(0u, zvMessage::getHistoryCount());

    Recorder later(12);  // a new broadcaster remembers nothing
    zvMessage::registerClient(&later);
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    EXPECT_EQ(Codes{4}, later.codes);
    EXPECT_EQ(3u, early.codes.size());  // no longer registered
}

TEST_F(Broadcast, AReceiverUnregisteredDuringABroadcastIsSkipped)
{
    Recorder victim(4);
    Recorder first(4, &victim);
    zvMessage::registerClient(&first);
    zvMessage::registerClient(&victim);
    zvMessage::getInstance()->broadcast(4);
    EXPECT_TRUE(victim.codes.empty());
}
