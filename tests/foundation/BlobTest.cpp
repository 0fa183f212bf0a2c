// Byte-buffer behaviour of Blob: capacity and growth, the zero tail, handed-in buffers,
// the format word and number packing.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/StrBlob.h>
#include "StderrCapture.h"
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

using namespace zvcrypt;
using Bytes = std::vector<unsigned char>;

namespace {

const unsigned char* bytes(const char* s) { return reinterpret_cast<const unsigned char*>(s); }
Bytes contents(const Blob& b) { return Bytes(b.getData(), b.getData() + b.getLength()); }

// The bytes behind the capacity are zero, so every view of the Blob is terminated.
void expectZeroTail(const Blob& b)
{
    ASSERT_NE(nullptr, b.getData());
    for (unsigned long i = 0; i < BLOB_ZERO_TAIL; ++i)
        EXPECT_EQ(0, b.getData()[b.getSize() + i]) << "tail byte " << i;
}

// A Blob whose buffer the test hands in, surrounded by guard bytes.
class GuardedBlob : public Blob {
public:
    static constexpr unsigned long GUARD = 32;
    explicit GuardedBlob(unsigned long capacity)
        : m_area(GUARD + capacity + BLOB_ZERO_TAIL + GUARD, 0xCC), m_capacity(capacity)
    {
        std::memset(&m_area[GUARD], 0, capacity + BLOB_ZERO_TAIL);
        mpData = mpCursor = &m_area[GUARD];
        mulSize = capacity;
        mulLength = 0;
        mbExternal = true;
    }
    bool guardsIntact() const
    {
        for (unsigned long i = 0; i < GUARD; ++i)
            if (m_area[i] != 0xCC || m_area[m_area.size() - 1 - i] != 0xCC)
                return false;
        for (unsigned long i = 0; i < BLOB_ZERO_TAIL; ++i)
            if (m_area[GUARD + m_capacity + i] != 0)
                return false;
        return true;
    }
    bool usesOwnArea() const { return mpData == &m_area[GUARD]; }

private:
    Bytes m_area;
    unsigned long m_capacity;
};

void formatInto(Blob& target, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    StrBlob::formatInto(target, format, args);
    va_end(args);
}

}  // namespace

TEST(BlobGrowth, AppendsReallocateToAnExactFitKeepingOldBytesAndTheZeroTail)
{
    Blob b;
    std::string expected;
    for (unsigned long i = 1; i <= 40; ++i) {
        unsigned char c = static_cast<unsigned char>('a' + i % 26);
        ASSERT_TRUE(b.add(&c, 1));
        expected += static_cast<char>(c);
        EXPECT_EQ(i, b.getSize());
        expectZeroTail(b);
    }
    EXPECT_EQ(expected, b.getString());
    EXPECT_FALSE(b.add(bytes("x"), 0));  // nothing to add is refused
}

TEST(BlobGrowth, ReservedOrLargerCapacityIsKeptAndZeroedBehindTheLength)
{
    Blob b;
    b.reserve(16);
    unsigned char* buffer = b.getData();
    b.add(bytes("abc"), 3);
    b.add(nullptr, 2);  // null source: zero bytes
    b.add(bytes("de"), 2);
    EXPECT_EQ(buffer, b.getData());
    EXPECT_EQ(Bytes({'a', 'b', 'c', 0, 0, 'd', 'e'}), contents(b));

    b.set(bytes("0123456789abcdef"), 16);
    EXPECT_TRUE(b.set(bytes("ABCDEFGHIJ"), 10));
    EXPECT_EQ(buffer, b.getData());
    EXPECT_EQ(16u, b.getSize());
    for (unsigned long i = 10; i < 16; ++i)
        EXPECT_EQ(0, b.getData()[i]) << i;
    b.setLength(3);
    for (unsigned long i = 3; i < 16; ++i)
        ASSERT_EQ(0, b.getData()[i]) << i;
    b.setLength(17);  // beyond the capacity: ignored
    EXPECT_EQ(3u, b.getLength());
    EXPECT_TRUE(b.set(bytes("ABCDEFGHIJKLMNOPQRST"), 20));
    EXPECT_EQ(20u, b.getSize());
    expectZeroTail(b);

    Blob big;
    big.reserve(64);
    big = Blob("abc");  // assignment keeps the larger capacity, a copy is exact
    EXPECT_EQ(64u, big.getSize());
    EXPECT_EQ(3u, Blob(big).getSize());
}

TEST(BlobGrowth, AHandedInBufferIsNeverOverrunAndLeftAloneOnGrowth)
{
    GuardedBlob b(16);
    b.setFormat(BLOB_CHAR);
    b.set(bytes("0123456789ABCDEF"), 16);
    b.toLower();
    b.setLength(17);
    b.clear();
    b.add(bytes("abcdefghijklmno"), 15);
    b.add(bytes("p"), 1);
    EXPECT_TRUE(b.usesOwnArea());
    EXPECT_TRUE(b.guardsIntact());

    GuardedBlob w(8);  // wide text without a zero character: toLower stops at the end
    w.set(reinterpret_cast<const unsigned char*>(L"ABCD"), 8);
    w.setFormat(BLOB_WCHAR);
    w.toLower();
    EXPECT_STREQ(L"abcd", w.getWString());
    EXPECT_TRUE(w.guardsIntact());

    b.add(bytes("XYZ"), 3);
    EXPECT_FALSE(b.usesOwnArea());
    EXPECT_FALSE(b.isExternal());
    EXPECT_TRUE(b.guardsIntact());
    EXPECT_STREQ("abcdefghijklmnopXYZ", b.getString());

    Blob owner, borrower;
    unsigned char* p = nullptr;
    ASSERT_EQ(4u, owner.allocate(4, &p));
    std::memcpy(p, "wxyz", 4);
    EXPECT_EQ(1, owner.setBuffer(p, 4));
    borrower.takeOver(owner);
    borrower.setExternal();
    borrower.release();  // borrowed: must not free the owner's buffer
    EXPECT_EQ(0, std::memcmp("wxyz", owner.getData(), 4));
}

TEST(BlobGrowth, LongFormattedTextStaysInsideAHandedIn512Buffer)
{
    GuardedBlob b(STRBLOB_FORMAT_LIMIT);
    formatInto(b, "%s", std::string(2000, 'g').c_str());
    EXPECT_TRUE(b.usesOwnArea());
    EXPECT_EQ(512u, b.getLength());
    EXPECT_TRUE(b.guardsIntact());
    formatInto(b, "%s-%d", "short", 1);
    EXPECT_EQ(Bytes({'s', 'h', 'o', 'r', 't', '-', '1', 0}), Bytes(b.getData(), b.getData() + 8));
    EXPECT_EQ(0, b.getData()[8]);  // the long text behind it is gone
    EXPECT_TRUE(b.guardsIntact());
}

TEST(BlobGrowth, AllocationFailureIsTracedAndLeavesTheBlobAlone)
{
    Blob b("keep");
    StderrCapture err;
    EXPECT_TRUE(b.set(nullptr, 0xF0000000UL));
    EXPECT_TRUE(b.add(nullptr, 0xF0000000UL));
    EXPECT_EQ(0u, err.text().find("cought std::bad_alloc "));
    EXPECT_EQ('\n', err.text().back());
    EXPECT_STREQ("keep", b.getString());
}

TEST(BlobFormatWord, EachLabelAddsOrReplacesTheRightBits)
{
    struct Step { unsigned long before, f, after; };
    const Step steps[] = {{31, 0, 0},  {0, 1, 1},   {20, 1, 1},  {0, 2, 2},   {12, 2, 2},
                          {3, 4, 4},   {11, 4, 12}, {19, 4, 20}, {0, 8, 12},  {20, 8, 12},
                          {2, 8, 12},  {0, 16, 20}, {12, 16, 20}, {3, 16, 20}, {12, 6, 14},
                          {1, 24, 25}, {4, 3, 7}};
    for (const Step& s : steps) {
        SCOPED_TRACE(::testing::Message() << s.before << " with " << s.f);
        // 0x100 lies outside the low byte: the OR keeps it and no rule clears it.
        Blob b;
        b.setFormat(s.before | 0x100);
        b.setFormat(s.f);
        EXPECT_EQ(s.after | (s.f == 0 ? 0 : 0x100), b.getFormat());
    }
}

TEST(BlobNumber, PackedNumbersAreNetworkOrderUnlessLabelledHost)
{
    Blob net;
    net = 0x01020304UL;
    EXPECT_EQ(Bytes({1, 2, 3, 4}), contents(net));
    EXPECT_EQ(BLOB_NETWORK_LONG, net.getFormat());
    EXPECT_EQ(0x01020304u, net.toULong());
    net += 0x0A0B0C0DUL;
    EXPECT_EQ(Bytes({1, 2, 3, 4, 0x0A, 0x0B, 0x0C, 0x0D}), contents(net));

    Blob host;
    host.setFormat(BLOB_HOST_LONG);
    host = 0x01020304UL;
    EXPECT_EQ(Bytes({4, 3, 2, 1}), contents(host));
    EXPECT_EQ(0x01020304u, host.toULong());
    EXPECT_STREQ("16909060", host.getString());
    host.setFormat(BLOB_NETWORK_LONG);
    EXPECT_EQ(0x04030201u, host.toULong());
    EXPECT_EQ(0u, Blob("abc").toULong());  // neither 4 nor 8 bytes
}

TEST(BlobNumber, NarrowTextShowsNumbersSignedWideAppendsThemUnsigned)
{
    Blob narrow("old text");
    narrow = 4294967295UL;
    EXPECT_STREQ("-1", narrow.getString());
    EXPECT_EQ(8u, narrow.getSize());  // capacity stays
    narrow += 4294967294UL;
    EXPECT_STREQ("-1-2", narrow.getString());

    Blob wide(L"w=");
    wide += 4294967295UL;
    EXPECT_EQ(BLOB_TEXT | BLOB_WCHAR, wide.getFormat());
    EXPECT_STREQ(L"w=4294967295", wide.getWString());
    wide = 4294967295UL;
    EXPECT_STREQ(L"-1", wide.getWString());

    Blob four(bytes("abcd"), 4);  // four text bytes show as their number
    four.setFormat(BLOB_TEXT);
    EXPECT_STREQ("1633837924", four.getString());
    EXPECT_STREQ("abcd", Blob(bytes("abcd"), 4).getString());  // format 0: the bytes
}
