// A receiver of the numeric codes that zvMessage broadcasts.
#pragma once

namespace zvcrypt {

class zvMessageClient {
public:
    // The mask is the set of codes wanted; the constructor does not register.
    explicit zvMessageClient(unsigned long mask) : mulMask(mask) {}
    // Unregisters from the broadcaster (creating one if none exists).
    virtual ~zvMessageClient();
    virtual bool zvMessageAction(unsigned long code) = 0;

    unsigned long getMask() const { return mulMask; }
    // A code is delivered when every bit of it is in the mask.
    bool accepts(unsigned long code) const { return (mulMask | code) == mulMask; }

protected:
    unsigned long mulMask;
};

}  // namespace zvcrypt
