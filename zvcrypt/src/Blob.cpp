#include <zvcrypt/Blob.h>
#include <zvcrypt/SyncObjectLocker.h>
#include <zvcrypt/zvCritSec.h>
#include "SystemFormat.h"
#include <winsock2.h>  // htonl, ntohl
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>
#include <cwchar>
#include <cwctype>
#include <exception>
#include <new>

namespace zvcrypt {

namespace {

// Sizes are 32-bit; a request this large cannot be met by any process of ours, and
// refusing it up front keeps size + tail from wrapping around.
constexpr unsigned long MAX_CAPACITY = 0x7FFFFFF0UL;

void reportAllocFailure(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e))
        writeTexts(stderr, {"cought std::bad_alloc ", e.what(), "\n"});
    else
        writeTexts(stderr, {"cought std::exception ", e.what(), "\n"});
}

const char sEmpty[1] = "";
const wchar_t sEmptyW[1] = L"";

// Scratch ring: 200 Blobs, the next slot and its lock.
Blob* spRing = nullptr;
unsigned long sulRingIndex = 0;

void releaseRing()
{
    // The slots stay valid objects: a log call during late static destruction may still
    // ask for one and simply gets a fresh buffer.
    for (unsigned long i = 0; i < Blob::TEMP_BLOB_COUNT; ++i)
        spRing[i].release();
}

Blob* createRing()
{
    spRing = new Blob[Blob::TEMP_BLOB_COUNT];
    std::atexit(releaseRing);
    return spRing;
}

}  // namespace

// ---- construction -------------------------------------------------------------------

Blob::Blob()
    : mulFormat(0), mulSize(0), mpData(nullptr), mpCursor(nullptr), mulLength(0),
      mbExternal(false)
{
}

Blob::Blob(const Blob& other) : Blob()
{
    if (other.mpData && other.mulLength > 0) {
        set(other.mpData, other.mulLength);
        mulFormat = other.mulFormat;
    }
}

Blob::Blob(const unsigned char* p, unsigned long n) : Blob()
{
    set(p, n);
}

Blob::Blob(const char* s) : Blob()
{
    if (s && *s)
        set(reinterpret_cast<const unsigned char*>(s), static_cast<unsigned long>(std::strlen(s)));
    setFormat(BLOB_CHAR);
}

Blob::Blob(const wchar_t* s) : Blob()
{
    if (s && *s) {
        set(reinterpret_cast<const unsigned char*>(s),
            static_cast<unsigned long>(2 * std::wcslen(s)));
        setFormat(BLOB_WCHAR);
    }
}

Blob::~Blob()
{
    if (!mbExternal)
        Blob::release();
}

// ---- buffer operations --------------------------------------------------------------

unsigned long Blob::allocate(unsigned long size, unsigned char** out)
{
    if (!out || size == 0)
        return 0;
    if (size > MAX_CAPACITY)
        throw std::bad_alloc();
    unsigned char* p = new unsigned char[static_cast<size_t>(size) + BLOB_ZERO_TAIL];
    std::memset(p, 0, static_cast<size_t>(size) + BLOB_ZERO_TAIL);
    *out = p;
    return size;
}

bool Blob::release()
{
    if (!mbExternal && mpData && mulSize > 0)
        delete[] mpData;
    mulFormat = 0;
    mulSize = 0;
    mpData = nullptr;
    mpCursor = nullptr;
    mulLength = 0;
    mbExternal = false;
    return true;
}

bool Blob::clear()
{
    if (mpData && mulSize > 0)
        std::memset(mpData, 0, mulSize);
    mulLength = 0;
    mpCursor = mpData;
    return true;
}

void Blob::reserve(unsigned long size)
{
    if (size > mulSize) {
        release();
        set(nullptr, size);
    }
    mulLength = 0;
    mpCursor = mpData;
}

bool Blob::set(const unsigned char* p, unsigned long n)
{
    if (p && p == mpData) {
        // Never beyond the capacity, even when the cursor lags behind a longer length.
        if (n <= mulSize && (n <= mulLength || n <= mulLength + getFreeSpace())) {
            mulLength = n;
            return true;
        }
        return false;
    }
    try {
        if (mulSize < n) {
            unsigned char* fresh = nullptr;
            allocate(n, &fresh);
            // Copy before the old buffer goes: p may point into it.
            if (p)
                std::memcpy(fresh, p, n);
            if (!mbExternal && mpData)
                delete[] mpData;
            mpData = fresh;
            mulSize = n;
            mbExternal = false;
        } else if (mpData) {
            if (p)
                std::memmove(mpData, p, n);
            else
                std::memset(mpData, 0, n);
        }
        if (mpData && mulSize > n)
            std::memset(mpData + n, 0, mulSize - n);
    } catch (const std::exception& e) {
        // The old contents stay as they were.
        reportAllocFailure(e);
        return true;
    }
    mulLength = mpData ? n : 0;
    mpCursor = mpData ? mpData + mulLength : nullptr;
    return true;
}

bool Blob::add(const unsigned char* p, unsigned long n)
{
    if (n == 0)
        return false;
    if (!mpData) {
        set(p, n);
        mulLength = getPosition();
        return true;
    }
    unsigned long pos = getPosition();
    if (n > getFreeSpace()) {
        try {
            if (n > MAX_CAPACITY || pos > MAX_CAPACITY - n)
                throw std::bad_alloc();
            unsigned char* fresh = nullptr;
            allocate(pos + n, &fresh);
            std::memcpy(fresh, mpData, pos < mulSize ? pos : mulSize);
            if (p)
                std::memcpy(fresh + pos, p, n);
            unsigned long format = mulFormat;
            setBuffer(fresh, pos + n);  // frees the old buffer when owned
            mulFormat = format;
        } catch (const std::exception& e) {
            reportAllocFailure(e);
            return true;
        }
    } else {
        unsigned char* dst = mpCursor ? mpCursor : mpData;
        if (p)
            std::memmove(dst, p, n);
        else
            std::memset(dst, 0, n);
        mpCursor = dst + n;
    }
    mulLength = getPosition();
    return true;
}

void Blob::setLength(unsigned long n)
{
    if (!mpData) {
        set(nullptr, n);
        mulLength = 0;
        mpCursor = mpData;
    } else if (n <= mulSize) {
        mpCursor = mpData + n;
        std::memset(mpData + n, 0, mulSize - n);
        mulLength = n;
    }
}

long Blob::setBuffer(unsigned char* p, unsigned long n)
{
    if (!p)
        return -1;
    if (n == 0)
        return -2;
    release();
    mpData = p;
    mulSize = n;
    mulLength = n;
    mpCursor = p + n;
    mbExternal = false;
    return 1;
}

void Blob::takeOver(Blob& other)
{
    if (&other == this)
        return;
    release();
    mpData = other.mpData;
    mpCursor = other.mpCursor;
    mulLength = other.mulLength;
    mbExternal = other.mbExternal;
    mulSize = other.mulSize;
    mulFormat = 0;
}

unsigned long Blob::getPosition() const
{
    return mpCursor ? static_cast<unsigned long>(mpCursor - mpData) : mulLength;
}

unsigned long Blob::getFreeSpace() const
{
    unsigned long pos = getPosition();
    return pos >= mulSize ? 0 : mulSize - pos;
}

void Blob::setFormat(unsigned long format)
{
    mulFormat |= format;
    switch (format) {
    case 0:
        mulFormat = 0;
        break;
    case BLOB_NETWORK_LONG:
        mulFormat &= ~(BLOB_HOST_LONG | BLOB_TEXT | BLOB_CHAR | BLOB_WCHAR);
        break;
    case BLOB_HOST_LONG:
        mulFormat &= ~(BLOB_NETWORK_LONG | BLOB_TEXT | BLOB_CHAR | BLOB_WCHAR);
        break;
    case BLOB_TEXT:
        mulFormat &= ~(BLOB_NETWORK_LONG | BLOB_HOST_LONG);
        break;
    case BLOB_CHAR:
        mulFormat |= BLOB_TEXT;
        mulFormat &= ~(BLOB_NETWORK_LONG | BLOB_HOST_LONG | BLOB_WCHAR);
        break;
    case BLOB_WCHAR:
        mulFormat |= BLOB_TEXT;
        mulFormat &= ~(BLOB_NETWORK_LONG | BLOB_HOST_LONG | BLOB_CHAR);
        break;
    default:
        break;
    }
}

// ---- values -------------------------------------------------------------------------

Blob& Blob::operator=(const Blob& other)
{
    if (!other.mpData) {
        release();
        return *this;
    }
    if (&other != this) {
        set(other.mpData, other.mulLength);
        mulFormat = other.mulFormat;
    }
    return *this;
}

Blob& Blob::operator=(unsigned long value)
{
    if (mulFormat & BLOB_TEXT) {
        char text[64] = {};
        formatText(text, sizeof text, "%ld", static_cast<long>(value));
        unsigned long length = static_cast<unsigned long>(std::strlen(text));
        if (mulFormat & BLOB_WCHAR) {
            // A wide text gets the digits as wide characters, so it stays readable.
            wchar_t wide[64] = {};
            for (unsigned long i = 0; i < length; ++i)
                wide[i] = static_cast<wchar_t>(text[i]);
            set(reinterpret_cast<const unsigned char*>(wide), 2 * length);
        } else {
            set(reinterpret_cast<const unsigned char*>(text), length);
        }
    } else if (mulFormat & BLOB_HOST_LONG) {
        uint32_t v = static_cast<uint32_t>(value);
        set(reinterpret_cast<const unsigned char*>(&v), 4);
    } else {
        uint32_t v = htonl(static_cast<uint32_t>(value));
        set(reinterpret_cast<const unsigned char*>(&v), 4);
        setFormat(BLOB_NETWORK_LONG);
    }
    return *this;
}

Blob& Blob::operator+=(const Blob& other)
{
    if (!other.mpData)
        return *this;
    if (mulLength == 0) {
        add(other.mpData, other.mulLength);
        mulFormat = other.mulFormat;
        return *this;
    }
    if (other.mulLength == 0)
        return *this;
    if (mulFormat != other.mulFormat) {
        if ((mulFormat & BLOB_CHAR) && (other.mulFormat & BLOB_WCHAR))
            return *this += *toNarrow(other);
        if ((mulFormat & BLOB_WCHAR) && (other.mulFormat & BLOB_CHAR))
            return *this += *toWide(other);
    }
    add(other.mpData, other.mulLength);
    return *this;
}

Blob& Blob::operator+=(unsigned long value)
{
    if ((mulFormat & BLOB_TEXT) && (mulFormat & BLOB_CHAR)) {
        char text[64] = {};
        formatText(text, sizeof text, "%ld", static_cast<long>(value));
        add(reinterpret_cast<const unsigned char*>(text),
            static_cast<unsigned long>(std::strlen(text)));
    } else if (mulFormat & BLOB_TEXT) {
        // Wide text: made narrow here (unsigned), widened by the Blob append.
        char text[64] = {};
        formatText(text, sizeof text, "%lu", value);
        *this += Blob(text);
    } else {
        uint32_t v = static_cast<uint32_t>(value);
        if (!(mulFormat & BLOB_HOST_LONG))
            v = htonl(v);
        add(reinterpret_cast<const unsigned char*>(&v), 4);
    }
    return *this;
}

bool operator==(const Blob& a, const Blob& b)
{
    if (a.getLength() != b.getLength())
        return false;
    if (a.getLength() == 0)
        return true;
    return std::memcmp(a.getData(), b.getData(), a.getLength()) == 0;
}

unsigned long Blob::toULong() const
{
    if (!mpData)
        return 0;
    uint32_t v = 0;
    if (mulLength == 4) {
        std::memcpy(&v, mpData, 4);
        return (mulFormat & BLOB_HOST_LONG) ? v : ntohl(v);
    }
    if (mulLength == 8) {
        std::memcpy(&v, mpData, 4);
        return v;
    }
    return 0;
}

// ---- text views ---------------------------------------------------------------------

const char* Blob::getString() const
{
    if (!mpData || mulLength == 0)
        return sEmpty;
    if (mulFormat & BLOB_WCHAR)
        return toNarrow(*this)->getString();
    if ((mulFormat & BLOB_CHAR) || mulFormat == 0 || mulLength != 4)
        return reinterpret_cast<const char*>(mpData);
    return numberText()->getString();
}

const wchar_t* Blob::getWString() const
{
    if (!mpData || mulLength == 0)
        return sEmptyW;
    if (mulFormat & BLOB_CHAR)
        return toWide(*this)->getWString();
    if ((mulFormat & BLOB_WCHAR) || mulFormat == 0 || mulLength != 4)
        return reinterpret_cast<const wchar_t*>(mpData);
    return numberText()->getWString();
}

// A 4-byte number shown as signed decimal text, in a scratch Blob.
Blob* Blob::numberText() const
{
    Blob* temp = getTempBlob(512);
    char text[64] = {};
    formatText(text, 31, "%ld", static_cast<long>(toULong()));
    temp->set(reinterpret_cast<const unsigned char*>(text),
              static_cast<unsigned long>(std::strlen(text)));
    temp->setFormat(BLOB_CHAR);
    return temp;
}

const char* Blob::toHex() const
{
    Blob* temp = getTempBlob(512);
    if (!mpData || mulLength == 0 || mulLength > MAX_CAPACITY / 3) {
        temp->setFormat(BLOB_CHAR);
        return sEmpty;
    }
    temp->set(nullptr, 3 * mulLength);
    char* out = reinterpret_cast<char*>(temp->mpData);
    if (!out)
        return sEmpty;  // allocation failed
    for (unsigned long i = 0; i < mulLength; ++i)
        formatText(out + 2 * i, 3, "%02X", mpData[i]);
    temp->setLength(2 * mulLength);
    temp->setFormat(BLOB_CHAR);
    return temp->getString();
}

void Blob::toLower()
{
    if (!mpData)
        return;
    if (mulFormat & BLOB_WCHAR) {
        wchar_t* w = reinterpret_cast<wchar_t*>(mpData);
        for (unsigned long i = 0; i < mulSize / 2 && w[i]; ++i)
            w[i] = static_cast<wchar_t>(std::towlower(w[i]));
        return;
    }
    // Bytes above 0x7F are negative as signed char values and stay as they are.
    for (unsigned long i = 0; i < mulLength; ++i) {
        signed char c = static_cast<signed char>(mpData[i]);
        if (c >= 0)
            mpData[i] = static_cast<unsigned char>(std::tolower(c));
    }
}

void Blob::convert(unsigned long format)
{
    if (mulLength == 0 || mulFormat == format)
        return;
    if ((mulFormat & BLOB_CHAR) && format == BLOB_WCHAR) {
        Blob wide;
        mbsToWcs(*this, wide);
        *this = wide;
        setFormat(BLOB_WCHAR);
    } else if ((mulFormat & BLOB_WCHAR) && format == BLOB_CHAR) {
        Blob narrow;
        wcsToMbs(*this, narrow);
        *this = narrow;
        setFormat(BLOB_CHAR);
    } else {
        setFormat(format);
    }
}

// ---- scratch ring -------------------------------------------------------------------

Blob* Blob::getTempBlob(unsigned long size)
{
    // Function-local statics: safe to use during static initialisation of other files.
    static Blob* ring = createRing();
    static zvCritSec* lock = new zvCritSec;  // never destroyed: late callers still lock
    Blob* slot;
    {
        SyncObjectLocker<zvCritSec> locker(lock);
        if (sulRingIndex >= TEMP_BLOB_COUNT)
            sulRingIndex = 0;
        slot = &ring[sulRingIndex];
        slot->reserve(size);
        slot->clear();
        slot->setFormat(BLOB_TEXT);
        ++sulRingIndex;
    }
    return slot;
}

// ---- narrow / wide ------------------------------------------------------------------

namespace {

// One conversion between narrow and wide text with the runtime's converter (mbstowcs or
// wcstombs): measured first, then converted. dst is labelled with the target format even
// when empty, so appending it never converts again; a text the converter refuses gives an
// empty result.
template <typename From, typename To>
Blob& convertText(const Blob& src, Blob& dst, unsigned long format,
                  const From* (Blob::*textOf)() const, size_t (*convert)(To*, const From*, size_t))
{
    if (&src == &dst) {
        Blob result;
        convertText(src, result, format, textOf, convert);
        dst = result;
        dst.setFormat(0);
        dst.setFormat(format);
        return dst;
    }
    if (src.isNull()) {
        dst.release();
        return dst;
    }
    const From* text = (src.*textOf)();
    dst.clear();
    dst.setFormat(0);
    dst.setFormat(format);
    size_t n = convert(nullptr, text, 0);
    if (n == 0 || n == static_cast<size_t>(-1))
        return dst;
    To* converted = new (std::nothrow) To[n + 1];
    if (!converted)
        return dst;
    // The measuring call may pass a text that the converting call then refuses.
    size_t done = convert(converted, text, n + 1);
    if (done == static_cast<size_t>(-1)) {
        delete[] converted;
        return dst;
    }
    n = done < n ? done : n;
    converted[n] = 0;
    dst.set(reinterpret_cast<const unsigned char*>(converted),
            static_cast<unsigned long>(sizeof(To) * n));
    dst.setFormat(0);
    dst.setFormat(format);
    delete[] converted;
    return dst;
}

size_t narrowToWide(wchar_t* out, const char* in, size_t n) { return std::mbstowcs(out, in, n); }
size_t wideToNarrow(char* out, const wchar_t* in, size_t n) { return std::wcstombs(out, in, n); }

}  // namespace

Blob& mbsToWcs(const Blob& src, Blob& dst)
{
    return convertText(src, dst, BLOB_WCHAR, &Blob::getString, narrowToWide);
}

Blob& wcsToMbs(const Blob& src, Blob& dst)
{
    return convertText(src, dst, BLOB_CHAR, &Blob::getWString, wideToNarrow);
}

Blob* toWide(const Blob& src)
{
    Blob* temp = Blob::getTempBlob(512);
    mbsToWcs(src, *temp);
    return temp;
}

Blob* toNarrow(const Blob& src)
{
    Blob* temp = Blob::getTempBlob(512);
    wcsToMbs(src, *temp);
    return temp;
}

}  // namespace zvcrypt
