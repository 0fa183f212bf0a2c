// The library's resource tracker: names recorded for open handles and allocated
// memory blocks, reported whenever the logger starts or ends and at teardown.
#pragma once
#include <zvcrypt/Blob.h>
#include <zvcrypt/zvMessageClient.h>

#include <cstdint>

namespace zvcrypt {

class zvResManInit : public zvMessageClient {
public:
    // An address, a handle or an id; pointer-sized so that addresses fit on 64-bit.
    typedef std::uintptr_t Key;

    zvResManInit();
    ~zvResManInit() override;

    // Codes 4 and 8: lists every entry that is still recorded. Always true.
    bool zvMessageAction(unsigned long code) override;

    // The name recorded for the key among the handles, else "nothing found"
    // ("noting found mpHandleList==NULL" while no tracker exists).
    static Blob findName(Key key);

    // Recording entries. The library itself records none; a component that wants its
    // leaks reported records on open/allocate and removes on close/free.
    static bool addHandle(Key key, const Blob& name);
    static bool removeHandle(Key key);
    static bool addMemory(Key key, const char* name);
    static bool removeMemory(Key key);

    zvResManInit(const zvResManInit&) = delete;
    zvResManInit& operator=(const zvResManInit&) = delete;
};

} // namespace zvcrypt
