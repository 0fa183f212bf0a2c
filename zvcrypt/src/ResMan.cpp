#include <zvcrypt/ResMan.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/SyncObjectLocker.h>
#include <zvcrypt/zvCritSec.h>
#include <zvcrypt/zvMessage.h>

#include <map>
#include <string>

namespace zvcrypt {

namespace {
typedef std::map<zvResManInit::Key, Blob> HandleList;
typedef std::map<zvResManInit::Key, std::string> MemoryList;

unsigned long sulInstances = 0;
HandleList* mpHandleList = nullptr;
MemoryList* mpMemoryList = nullptr;

// Constructed by the first tracker, before it creates the maps, so the lock outlives
// the maps at process exit whatever the order of the other static objects.
zvCritSec& listLock()
{
    static zvCritSec lock;
    return lock;
}
} // namespace

zvResManInit::zvResManInit() : zvMessageClient(ZV_MSG_LOG_STARTED | ZV_MSG_LOG_ENDING)
{
    listLock();
    if (sulInstances++ == 0) {
        if (!mpHandleList)
            mpHandleList = new HandleList;
        if (!mpMemoryList)
            mpMemoryList = new MemoryList;
    }
    // Replays an earlier start of the logger at once.
    zvMessage::getInstance()->registerClient(this);
}

zvResManInit::~zvResManInit()
{
    if (--sulInstances > 0)
        return;
    if (!mpHandleList)
        return;
    for (const auto& entry : *mpHandleList)
        zvLogRaw("[zvResMan]\tdtor Handle (0x%p) %s stayed open", (void*)entry.first,
                 entry.second.getString());
    if (mpMemoryList) {
        for (const auto& entry : *mpMemoryList)
            zvLogRaw("[zvResMan]\tdtor memory (0x%p) %s stayed open", (void*)entry.first,
                     entry.second.c_str());
    }
    SyncObjectLocker<zvCritSec> locker(&listLock());
    delete mpHandleList;
    mpHandleList = nullptr;
    delete mpMemoryList;
    mpMemoryList = nullptr;
}

bool zvResManInit::zvMessageAction(unsigned long code)
{
    if (!mpHandleList) {
        zvLogRaw("[zvResman] mpHandleList==NULL");
        return true;
    }
    for (const auto& entry : *mpHandleList)
        zvLogRaw("[zvResMan]\tzvResManInit::zvMessageAction:  Handle (0x%p = %ld) %s stayed open",
                 (void*)entry.first, (long)entry.first, entry.second.getString());
    if (mpMemoryList) {
        for (const auto& entry : *mpMemoryList)
            zvLogRaw("[zvResMan]\tzvResManInit::zvMessageAction:  memory (0x%p = %ld) %s stayed open",
                     (void*)entry.first, (long)entry.first, entry.second.c_str());
    }
    return true;
}

Blob zvResManInit::findName(Key key)
{
    if (!mpHandleList) {
        zvLogRaw("[zvResman] mpHandleList==NULL");
        return Blob("noting found mpHandleList==NULL");
    }
    SyncObjectLocker<zvCritSec> locker(&listLock());
    HandleList::const_iterator it = mpHandleList->find(key);
    if (it != mpHandleList->end())
        return it->second;
    return Blob("nothing found");
}

bool zvResManInit::addHandle(Key key, const Blob& name)
{
    if (!mpHandleList)
        return false;
    SyncObjectLocker<zvCritSec> locker(&listLock());
    (*mpHandleList)[key] = name;
    return true;
}

bool zvResManInit::removeHandle(Key key)
{
    if (!mpHandleList)
        return false;
    SyncObjectLocker<zvCritSec> locker(&listLock());
    return mpHandleList->erase(key) > 0;
}

bool zvResManInit::addMemory(Key key, const char* name)
{
    if (!mpMemoryList)
        return false;
    SyncObjectLocker<zvCritSec> locker(&listLock());
    (*mpMemoryList)[key] = name ? name : "";
    return true;
}

bool zvResManInit::removeMemory(Key key)
{
    if (!mpMemoryList)
        return false;
    SyncObjectLocker<zvCritSec> locker(&listLock());
    return mpMemoryList->erase(key) > 0;
}

// The library's one tracker.
static zvResManInit sResManInit;

} // namespace zvcrypt
