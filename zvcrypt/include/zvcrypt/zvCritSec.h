// The library's lock: a re-entrant operating-system critical section.
#pragma once

struct _RTL_CRITICAL_SECTION;  // CRITICAL_SECTION, so callers need not include windows.h

namespace zvcrypt {

class zvCritSec {
public:
    zvCritSec();
    virtual ~zvCritSec();
    zvCritSec(const zvCritSec&) = delete;
    zvCritSec& operator=(const zvCritSec&) = delete;

    // The thread that holds the lock may take it again; every lock needs its unlock.
    void lock();
    void unlock();

protected:
    _RTL_CRITICAL_SECTION* mpCritSec;
};

}  // namespace zvcrypt
