// Process-wide broadcast of numeric codes (ZV_MSG_LOG_STARTED, ZV_MSG_LOG_ENDING) to
// registered receivers. Every code is kept, so a receiver that registers late is told of
// the earlier ones at once. Not locked: used at process start and exit on one thread.
#pragma once
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/zvMessageClient.h>

namespace zvcrypt {

class zvMessage {
public:
    // The broadcaster; created on first use and again after a ZV_MSG_LOG_ENDING broadcast.
    static zvMessage* getInstance();
    // Replays the history the client accepts, then appends it. False for null.
    static bool registerClient(zvMessageClient* client);
    // Removes every registration of the client. False for null.
    static bool unregisterClient(zvMessageClient* client);

    // Delivers the code to every accepting client in registration order and records it.
    // After ZV_MSG_LOG_ENDING the broadcaster destroys itself. Returns 1.
    long broadcast(unsigned long code);

    virtual ~zvMessage();

    // Inspection for diagnostics: registrations and recorded codes (0 when no list).
    static unsigned long getClientCount();
    static unsigned long getHistoryCount();

private:
    zvMessage() = default;
    zvMessage(const zvMessage&) = delete;
    zvMessage& operator=(const zvMessage&) = delete;
};

}  // namespace zvcrypt
