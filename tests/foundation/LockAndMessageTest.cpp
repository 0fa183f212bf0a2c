// The re-entrant lock with its scope guard, and the broadcast of numeric codes.
#include <gtest/gtest.h>
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/SyncObjectLocker.h>
#include <zvcrypt/zvCritSec.h>
#include <zvcrypt/zvMessage.h>
#include <zvcrypt/zvMessageClient.h>
#include "StderrCapture.h"
#include <windows.h>
#include <cstdio>
#include <stdexcept>
#include <vector>

using namespace zvcrypt;

// ---- lock -----------------------------------------------------------------------------

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

DWORD WINAPI lockOnce(void* arg)
{
    zvCritSec* lock = static_cast<zvCritSec*>(arg);
    lock->lock();
    lock->unlock();
    return 0;
}

}  // namespace

TEST(CritSec, ReentrantLockSerialisesThreads)
{
    Shared s;
    HANDLE threads[4];
    for (HANDLE& t : threads)
        t = CreateThread(nullptr, 0, incrementNested, &s, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, 120000));
    for (HANDLE t : threads)
        CloseHandle(t);
    EXPECT_EQ(4 * 20000, s.counter);
}

TEST(CritSec, EveryLockNeedsItsUnlock)
{
    zvCritSec lock;
    lock.lock();
    lock.lock();
    lock.unlock();
    // Still held once: another thread must wait.
    HANDLE t = CreateThread(nullptr, 0, lockOnce, &lock, 0, nullptr);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(t, 200));
    lock.unlock();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, 60000));
    CloseHandle(t);
}

TEST(CritSec, LockerReleasesWhenAnExceptionLeavesTheScope)
{
    zvCritSec lock;
    try {
        SyncObjectLocker<zvCritSec> locker(&lock);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    HANDLE t = CreateThread(nullptr, 0, lockOnce, &lock, 0, nullptr);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, 60000));
    CloseHandle(t);

    SyncObjectLocker<zvCritSec> none(nullptr);  // a null object is simply not locked
}

// ---- broadcast ------------------------------------------------------------------------

namespace {

class Recorder : public zvMessageClient {
public:
    explicit Recorder(unsigned long mask) : zvMessageClient(mask) {}
    bool zvMessageAction(unsigned long code) override
    {
        codes.push_back(code);
        return true;
    }
    std::vector<unsigned long> codes;
};

// Unregisters another receiver from inside its action.
class Unregisterer : public zvMessageClient {
public:
    Unregisterer(unsigned long mask, zvMessageClient* victim)
        : zvMessageClient(mask), m_victim(victim) {}
    bool zvMessageAction(unsigned long) override
    {
        zvMessage::unregisterClient(m_victim);
        return false;
    }

private:
    zvMessageClient* m_victim;
};

// Ends the broadcaster from inside its action.
class Ender : public zvMessageClient {
public:
    Ender() : zvMessageClient(ZV_MSG_LOG_ENDING) {}
    bool zvMessageAction(unsigned long) override
    {
        ++calls;
        if (calls == 1)
            zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
        return true;
    }
    int calls = 0;
};

using Codes = std::vector<unsigned long>;

class Broadcast : public ::testing::Test {
protected:
    // Every test starts with a fresh broadcaster: the ending code destroys the old one.
    void SetUp() override
    {
        StderrCapture quiet;
        zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
        ASSERT_EQ(0u, zvMessage::getHistoryCount());
    }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(Broadcast, LateReceiverIsToldOfEarlierCodes)
{
    StderrCapture quiet;
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    zvMessage::getInstance()->broadcast(2);
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    Recorder late(12);
    EXPECT_TRUE(zvMessage::registerClient(&late));
    EXPECT_EQ((Codes{4, 4}), late.codes);  // 2 is not in the mask
    zvMessage::unregisterClient(&late);
}

TEST_F(Broadcast, MaskDecidesWhoHearsWhat)
{
    StderrCapture quiet;
    Recorder startOnly(ZV_MSG_LOG_STARTED);
    Recorder both(ZV_MSG_LOG_STARTED | ZV_MSG_LOG_ENDING);
    Recorder none(0);
    zvMessage::registerClient(&startOnly);
    zvMessage::registerClient(&both);
    zvMessage::registerClient(&none);
    EXPECT_EQ(1, zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED));
    zvMessage::getInstance()->broadcast(12);  // both bits: only a mask holding both
    EXPECT_EQ(1, zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING));
    EXPECT_EQ((Codes{4}), startOnly.codes);
    EXPECT_EQ((Codes{4, 12, 8}), both.codes);
    EXPECT_TRUE(none.codes.empty());
    // The receivers' destructors unregister from a new, empty broadcaster.
}

TEST_F(Broadcast, EndingCodeDestroysBroadcasterAndHistory)
{
    StderrCapture quiet;
    Recorder early(12);
    zvMessage::registerClient(&early);
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    EXPECT_EQ(1u, zvMessage::getHistoryCount());
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
    EXPECT_EQ((Codes{4, 8}), early.codes);
    EXPECT_EQ(0u, zvMessage::getClientCount());
    EXPECT_EQ(0u, zvMessage::getHistoryCount());

    // A new broadcaster remembers nothing.
    Recorder later(12);
    zvMessage::registerClient(&later);
    EXPECT_TRUE(later.codes.empty());
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    EXPECT_EQ((Codes{4}), later.codes);
    EXPECT_EQ((Codes{4, 8}), early.codes);  // no longer registered
}

TEST_F(Broadcast, TwoRegistrationsTwoCallsOneUnregisterRemovesBoth)
{
    StderrCapture quiet;
    Recorder twice(4);
    zvMessage::registerClient(&twice);
    zvMessage::registerClient(&twice);
    EXPECT_EQ(2u, zvMessage::getClientCount());
    zvMessage::getInstance()->broadcast(4);
    EXPECT_EQ((Codes{4, 4}), twice.codes);
    EXPECT_TRUE(zvMessage::unregisterClient(&twice));
    EXPECT_EQ(0u, zvMessage::getClientCount());  // the empty list is gone
    zvMessage::getInstance()->broadcast(4);
    EXPECT_EQ((Codes{4, 4}), twice.codes);

    EXPECT_TRUE(zvMessage::registerClient(&twice));  // works again afterwards
    EXPECT_EQ((Codes{4, 4, 4, 4}), twice.codes);     // replay of the two 4s
    zvMessage::unregisterClient(&twice);
}

TEST_F(Broadcast, NullReceiverIsRefused)
{
    EXPECT_FALSE(zvMessage::registerClient(nullptr));
    EXPECT_FALSE(zvMessage::unregisterClient(nullptr));
}

TEST_F(Broadcast, TracesEveryCallOnStandardError)
{
    Recorder a(4), b(8);
    zvMessage::registerClient(&a);
    zvMessage::registerClient(&b);
    std::string text;
    {
        StderrCapture err;
        zvMessage::getInstance()->broadcast(4);
        text = err.text();
    }
    char expected[64];
    // The direct trace prints pointers as the platform does (upper-case hex digits).
    _snprintf(expected, sizeof expected, "->CALLING zvMessageAction %p\r\n",
                  static_cast<void*>(static_cast<zvMessageClient*>(&a)));
    EXPECT_EQ(expected, text);  // b does not want 4: no line for it
    zvMessage::unregisterClient(&a);
    zvMessage::unregisterClient(&b);
}

TEST_F(Broadcast, ReceiverUnregisteredDuringBroadcastIsSkipped)
{
    StderrCapture quiet;
    Recorder victim(4);
    Unregisterer first(4, &victim);
    zvMessage::registerClient(&first);
    zvMessage::registerClient(&victim);
    zvMessage::getInstance()->broadcast(4);
    EXPECT_TRUE(victim.codes.empty());
    zvMessage::unregisterClient(&first);
}

TEST_F(Broadcast, ReceiverDestroyedAfterEndingLeavesNoTrouble)
{
    StderrCapture quiet;
    {
        Recorder r(12);
        zvMessage::registerClient(&r);
        zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
    }  // unregisters from a re-created, empty broadcaster
    EXPECT_EQ(0u, zvMessage::getClientCount());
    EXPECT_EQ(0u, zvMessage::getHistoryCount());
}

TEST_F(Broadcast, EndingFromInsideAnActionEndsOnce)
{
    StderrCapture quiet;
    Ender ender;
    Recorder after(ZV_MSG_LOG_ENDING);
    zvMessage::registerClient(&ender);
    zvMessage::registerClient(&after);
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
    EXPECT_EQ(2, ender.calls);  // the outer and the inner ending
    EXPECT_EQ((Codes{8}), after.codes);  // the outer walk stops once the lists are gone
    EXPECT_EQ(0u, zvMessage::getHistoryCount());
}
