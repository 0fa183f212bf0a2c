// The library's byte buffer and string. A Blob records what its bytes mean (the format
// word), so the same object reads back as narrow text, wide text, a number or hex.
#pragma once

namespace zvcrypt {

// Bits of the format word. Narrow text is BLOB_TEXT|BLOB_CHAR (12), wide text
// BLOB_TEXT|BLOB_WCHAR (20).
constexpr unsigned long BLOB_NETWORK_LONG = 1;  // 4-byte integer in network byte order
constexpr unsigned long BLOB_HOST_LONG = 2;     // 4-byte integer in host byte order
constexpr unsigned long BLOB_TEXT = 4;          // text; numbers assigned become decimal text
constexpr unsigned long BLOB_CHAR = 8;          // narrow (8-bit) text
constexpr unsigned long BLOB_WCHAR = 16;        // wide (16-bit) text

// Every buffer a Blob allocates carries this many zero bytes behind its capacity, so any
// content is terminated as narrow and as wide text.
constexpr unsigned long BLOB_ZERO_TAIL = 4;

class Blob {
public:
    Blob();
    Blob(const Blob& other);
    Blob(const unsigned char* p, unsigned long n);
    Blob(const char* s);
    Blob(const wchar_t* s);

    // Virtual operations, in this order; derived classes append theirs after allocate.
    // Grows to exactly size when needed (resetting the format); length 0 either way.
    virtual void reserve(unsigned long size);
    virtual ~Blob();
    // Zeroes the whole capacity; length 0; capacity and format stay.
    virtual bool clear();
    // Frees an owned buffer and zeroes every field.
    virtual bool release();
    // Replaces the contents (p null: n zero bytes). Grows to exactly n when needed.
    virtual bool set(const unsigned char* p, unsigned long n);
    // Appends at the write position (p null: zero bytes). Grows to exactly what is needed.
    virtual bool add(const unsigned char* p, unsigned long n);
    // size + 4 zeroed bytes through out; returns size, or 0 for a null out or size 0.
    virtual unsigned long allocate(unsigned long size, unsigned char** out);

    unsigned long getLength() const { return mulLength; }
    unsigned char* getData() const { return mpData; }
    bool isNull() const { return mpData == nullptr; }
    unsigned long getSize() const { return mulSize; }
    unsigned long getPosition() const;
    unsigned long getFreeSpace() const;
    unsigned long getFormat() const { return mulFormat; }
    void setFormat(unsigned long format);
    void setExternal(bool external = true) { mbExternal = external; }
    bool isExternal() const { return mbExternal; }

    // Sets the length (and write position) within the capacity, zeroing the rest.
    void setLength(unsigned long n);
    // Adopts p, a buffer from allocate, as the owned buffer of n bytes. -1 null, -2 size 0.
    long setBuffer(unsigned char* p, unsigned long n);
    // Refers to other's buffer (format 0); other is unchanged, the caller marks one side
    // borrowed.
    void takeOver(Blob& other);

    Blob& operator=(const Blob& other);
    // Text format: decimal text; host order: 4 bytes as in memory; else network order.
    Blob& operator=(unsigned long value);
    // Appends; narrow and wide texts are converted to this Blob's width.
    Blob& operator+=(const Blob& other);
    Blob& operator+=(unsigned long value);

    // A 4-byte value (network order unless BLOB_HOST_LONG), the first 4 of 8 bytes, or 0.
    unsigned long toULong() const;
    // Zero-terminated views; may point into a scratch Blob, valid for 200 scratch requests.
    const char* getString() const;
    const wchar_t* getWString() const;
    // Upper-case hex of the bytes, in a scratch Blob.
    const char* toHex() const;
    void toLower();
    // Converts narrow to wide (BLOB_WCHAR) or back (BLOB_CHAR); otherwise relabels.
    void convert(unsigned long format);

    // A scratch Blob from the process-wide ring of 200: at least size bytes, cleared,
    // BLOB_TEXT set. It is handed out again 200 requests later, from any thread.
    static Blob* getTempBlob(unsigned long size);
    static constexpr unsigned long TEMP_BLOB_COUNT = 200;

protected:
    Blob* numberText() const;

    unsigned long mulFormat;
    unsigned long mulSize;
    unsigned char* mpData;
    unsigned char* mpCursor;
    unsigned long mulLength;
    bool mbExternal;
};

bool operator==(const Blob& a, const Blob& b);
inline bool operator!=(const Blob& a, const Blob& b) { return !(a == b); }

// Conversions in the current locale; an unconvertible text gives an empty result.
Blob* toWide(const Blob& src);    // scratch Blob
Blob* toNarrow(const Blob& src);  // scratch Blob
Blob& mbsToWcs(const Blob& src, Blob& dst);
Blob& wcsToMbs(const Blob& src, Blob& dst);

}  // namespace zvcrypt
