// The library's exception: a message text and a code. Construction and destruction of
// every exception object are traced.
#pragma once
#include <zvcrypt/Blob.h>
#include <exception>

namespace zvcrypt {

class zvCryptException : public std::exception {
public:
    zvCryptException(const Blob& message, unsigned long code);
    zvCryptException(const zvCryptException& other);
    zvCryptException& operator=(const zvCryptException& other) = default;
    ~zvCryptException() override;

    const char* what() const noexcept override;
    unsigned long getCode() const { return mulCode; }
    const Blob& getMessage() const { return mMessage; }

protected:
    unsigned long mulCode;
    Blob mMessage;
};

}  // namespace zvcrypt
