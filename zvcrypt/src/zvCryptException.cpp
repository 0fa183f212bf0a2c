#include <zvcrypt/zvCryptException.h>
#include <zvcrypt/Log.h>

// This file logs: its guard keeps the logger alive for it, also in a program that holds
// no guard of its own.
static zvCLogInit s_logInit;

namespace zvcrypt {

namespace {
// Bit 31 together with the application-trace bit.
constexpr unsigned long EXCEPTION_LOG_MASK = 0x80000000UL | LOGMASK_TRACE;
}

zvCryptException::zvCryptException(const Blob& message, unsigned long code)
    : std::exception(), mulCode(code), mMessage(message)
{
    zvLogWrite("zvCryptException", 28, EXCEPTION_LOG_MASK, "%s ***zvCryptException()",
               mMessage.getString());
}

// Each copy the exception handling makes is traced like a construction.
zvCryptException::zvCryptException(const zvCryptException& other)
    : std::exception(other), mulCode(other.mulCode), mMessage(other.mMessage)
{
    zvLogWrite("zvCryptException", 28, EXCEPTION_LOG_MASK, "%s ***zvCryptException()",
               mMessage.getString());
}

zvCryptException::~zvCryptException()
{
    zvLogWrite("zvCryptException", 43, EXCEPTION_LOG_MASK, "%s ***~zvCryptException()",
               mMessage.getString());
}

const char* zvCryptException::what() const noexcept
{
    return mMessage.getString();
}

}  // namespace zvcrypt
