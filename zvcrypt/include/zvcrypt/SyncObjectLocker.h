// Holds a lockable object locked for the extent of a scope, exceptions included.
#pragma once

namespace zvcrypt {

template <class T>
class SyncObjectLocker {
public:
    explicit SyncObjectLocker(T* syncObject) : mpSyncObject(syncObject)
    {
        if (mpSyncObject)
            mpSyncObject->lock();
    }
    virtual ~SyncObjectLocker()
    {
        if (mpSyncObject)
            mpSyncObject->unlock();
    }
    SyncObjectLocker(const SyncObjectLocker&) = delete;
    SyncObjectLocker& operator=(const SyncObjectLocker&) = delete;

protected:
    T* mpSyncObject;
};

}  // namespace zvcrypt
