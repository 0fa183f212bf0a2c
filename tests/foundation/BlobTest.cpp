// Byte-buffer behaviour of Blob: capacity and growth, the zero tail, the format word and
// number packing.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/StrBlob.h>
#include "StderrCapture.h"
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

using namespace zvcrypt;

namespace {

const unsigned char* bytes(const char* s) { return reinterpret_cast<const unsigned char*>(s); }

std::vector<unsigned char> contents(const Blob& b)
{
    return std::vector<unsigned char>(b.getData(), b.getData() + b.getLength());
}

// The 4 bytes behind the capacity are zero.
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
        mpData = &m_area[GUARD];
        mpCursor = mpData;
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
    std::vector<unsigned char> m_area;
    unsigned long m_capacity;
};

}  // namespace

TEST(BlobConstruction, EmptyInputsGiveNoBuffer)
{
    Blob fromBytes(bytes("abc"), 0);
    EXPECT_TRUE(fromBytes.isNull());
    EXPECT_EQ(0u, fromBytes.getLength());
    EXPECT_EQ(0u, fromBytes.getFormat());

    Blob emptyNarrow("");
    EXPECT_TRUE(emptyNarrow.isNull());
    EXPECT_EQ(BLOB_TEXT | BLOB_CHAR, emptyNarrow.getFormat());
    EXPECT_STREQ("", emptyNarrow.getString());

    Blob emptyWide(L"");
    EXPECT_TRUE(emptyWide.isNull());
    EXPECT_EQ(0u, emptyWide.getFormat());
    EXPECT_STREQ("", emptyWide.getString());
    EXPECT_STREQ(L"", emptyWide.getWString());

    Blob nullNarrow(static_cast<const char*>(nullptr));
    EXPECT_TRUE(nullNarrow.isNull());
    EXPECT_EQ(12u, nullNarrow.getFormat());
    Blob nullWide(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(nullWide.isNull());
    EXPECT_EQ(0u, nullWide.getFormat());

    Blob empty;
    EXPECT_TRUE(empty.set(nullptr, 0));
    EXPECT_TRUE(empty.isNull());
    EXPECT_EQ(0u, empty.getLength());
}

TEST(BlobConstruction, TextsAreLabelledAndTerminated)
{
    Blob narrow("hello");
    EXPECT_EQ(12u, narrow.getFormat());
    EXPECT_EQ(5u, narrow.getLength());
    EXPECT_EQ(5u, narrow.getSize());  // exact fit, the tail terminates it
    EXPECT_STREQ("hello", narrow.getString());
    expectZeroTail(narrow);

    Blob wide(L"h\u00e9llo");
    EXPECT_EQ(20u, wide.getFormat());
    EXPECT_EQ(10u, wide.getLength());
    EXPECT_EQ(10u, wide.getSize());
    EXPECT_STREQ(L"h\u00e9llo", wide.getWString());
    expectZeroTail(wide);
}

TEST(BlobConstruction, CopyIsOwnedAndExact)
{
    Blob original;
    original.reserve(64);
    original.add(bytes("abc"), 3);
    original.setFormat(BLOB_CHAR);
    Blob copy(original);
    EXPECT_NE(original.getData(), copy.getData());
    EXPECT_EQ(3u, copy.getSize());
    EXPECT_EQ(original.getFormat(), copy.getFormat());
    EXPECT_STREQ("abc", copy.getString());

    Blob emptyButBuffered;
    emptyButBuffered.reserve(8);
    emptyButBuffered.setFormat(BLOB_CHAR);
    Blob copyOfEmpty(emptyButBuffered);
    EXPECT_TRUE(copyOfEmpty.isNull());
    EXPECT_EQ(0u, copyOfEmpty.getFormat());
}

TEST(BlobSet, KeepsLargerCapacityAndZeroesTheRest)
{
    Blob b;
    b.set(bytes("0123456789abcdef"), 16);
    ASSERT_EQ(16u, b.getSize());
    unsigned char* before = b.getData();
    EXPECT_TRUE(b.set(bytes("ABCDEFGHIJ"), 10));
    EXPECT_EQ(before, b.getData());
    EXPECT_EQ(16u, b.getSize());
    EXPECT_EQ(10u, b.getLength());
    EXPECT_EQ(10u, b.getPosition());
    for (unsigned long i = 10; i < 16; ++i)
        EXPECT_EQ(0, b.getData()[i]) << i;
    expectZeroTail(b);

    EXPECT_TRUE(b.set(bytes("ABCDEFGHIJKLMNOPQRST"), 20));
    EXPECT_EQ(20u, b.getSize());
    EXPECT_EQ(20u, b.getLength());
    EXPECT_EQ(0, std::memcmp("ABCDEFGHIJKLMNOPQRST", b.getData(), 20));
    expectZeroTail(b);
}

TEST(BlobSet, NullSourceGivesZeroBytesAndFormatStays)
{
    Blob b("text");
    EXPECT_TRUE(b.set(nullptr, 6));
    EXPECT_EQ(6u, b.getLength());
    EXPECT_EQ(std::vector<unsigned char>(6, 0), contents(b));
    EXPECT_EQ(12u, b.getFormat());
}

TEST(BlobSet, OwnBufferOnlyMovesTheLength)
{
    Blob b;
    b.set(bytes("ABCDEFGH"), 8);
    b.set(bytes("ABCD"), 4);  // capacity 8, length 4, cursor 4
    EXPECT_TRUE(b.set(b.getData(), 2));
    EXPECT_EQ(2u, b.getLength());
    EXPECT_EQ(4u, b.getPosition());  // cursor untouched
    EXPECT_EQ('C', b.getData()[2]);  // bytes untouched
    EXPECT_TRUE(b.set(b.getData(), 6));  // within length + free space
    EXPECT_EQ(6u, b.getLength());
    EXPECT_FALSE(b.set(b.getData(), 9));  // beyond the capacity
    EXPECT_EQ(6u, b.getLength());
    EXPECT_EQ(8u, b.getSize());
}

TEST(BlobAdd, GrowsToExactFitWithOldBytesFirst)
{
    Blob b;
    b.set(bytes("0123456789"), 10);
    ASSERT_EQ(10u, b.getSize());
    EXPECT_TRUE(b.add(bytes("abc"), 3));
    EXPECT_EQ(13u, b.getSize());
    EXPECT_EQ(13u, b.getLength());
    EXPECT_EQ(13u, b.getPosition());
    EXPECT_EQ(0, std::memcmp("0123456789abc", b.getData(), 13));
    expectZeroTail(b);
}

TEST(BlobAdd, EveryAppendThatDoesNotFitReallocatesExactly)
{
    Blob b;
    for (unsigned long i = 1; i <= 40; ++i) {
        unsigned char c = static_cast<unsigned char>('a' + i % 26);
        ASSERT_TRUE(b.add(&c, 1));
        EXPECT_EQ(i, b.getSize());
        EXPECT_EQ(i, b.getLength());
        expectZeroTail(b);
    }
}

TEST(BlobAdd, FitsIntoReservedSpaceWithoutMoving)
{
    Blob b;
    b.reserve(16);
    unsigned char* buffer = b.getData();
    b.add(bytes("abc"), 3);
    b.add(nullptr, 2);
    b.add(bytes("de"), 2);
    EXPECT_EQ(buffer, b.getData());
    EXPECT_EQ(16u, b.getSize());
    EXPECT_EQ(7u, b.getLength());
    EXPECT_EQ(9u, b.getFreeSpace());
    EXPECT_EQ(0, std::memcmp("abc\0\0de", b.getData(), 7));
}

TEST(BlobAdd, ZeroCountIsRefused)
{
    Blob b("abc");
    EXPECT_FALSE(b.add(bytes("x"), 0));
    EXPECT_FALSE(b.add(nullptr, 0));
    EXPECT_STREQ("abc", b.getString());
    Blob empty;
    EXPECT_FALSE(empty.add(bytes("x"), 0));
    EXPECT_TRUE(empty.isNull());
}

TEST(BlobAdd, GrowthKeepsTheFormat)
{
    Blob b("abc");
    b.add(bytes("def"), 3);
    EXPECT_EQ(12u, b.getFormat());
    EXPECT_STREQ("abcdef", b.getString());
}

TEST(BlobBuffer, ReserveClearAndSetLength)
{
    Blob b("abcdef");
    b.reserve(4);  // no growth: bytes stay, length 0, format stays
    EXPECT_EQ(6u, b.getSize());
    EXPECT_EQ(0u, b.getLength());
    EXPECT_EQ('a', b.getData()[0]);
    EXPECT_EQ(12u, b.getFormat());

    b.reserve(32);  // growth: fresh zeroed buffer, format reset
    EXPECT_EQ(32u, b.getSize());
    EXPECT_EQ(0u, b.getFormat());
    EXPECT_EQ(0, b.getData()[0]);
    expectZeroTail(b);

    b.set(bytes("abcdefgh"), 8);
    b.setLength(3);
    EXPECT_EQ(3u, b.getLength());
    EXPECT_EQ(3u, b.getPosition());
    for (unsigned long i = 3; i < 32; ++i)
        ASSERT_EQ(0, b.getData()[i]);
    b.setLength(33);  // beyond the capacity: nothing
    EXPECT_EQ(3u, b.getLength());

    b.clear();
    EXPECT_EQ(0u, b.getLength());
    EXPECT_EQ(32u, b.getSize());
    EXPECT_EQ(0, b.getData()[0]);

    Blob none;
    none.setLength(5);  // no buffer: 5 zero bytes of capacity, length 0
    EXPECT_EQ(5u, none.getSize());
    EXPECT_EQ(0u, none.getLength());
}

TEST(BlobBuffer, SetBufferAndTakeOver)
{
    Blob b;
    unsigned char* p = nullptr;
    EXPECT_EQ(-1, b.setBuffer(nullptr, 4));
    EXPECT_EQ(0u, b.allocate(0, &p));
    EXPECT_EQ(0u, b.allocate(4, nullptr));
    ASSERT_EQ(4u, b.allocate(4, &p));
    EXPECT_EQ(-2, b.setBuffer(p, 0));
    std::memcpy(p, "wxyz", 4);
    EXPECT_EQ(1, b.setBuffer(p, 4));
    EXPECT_EQ(p, b.getData());
    EXPECT_EQ(4u, b.getLength());
    EXPECT_EQ(4u, b.getPosition());

    Blob borrower;
    borrower.takeOver(b);
    borrower.setExternal();
    EXPECT_EQ(p, borrower.getData());
    EXPECT_EQ(0u, borrower.getFormat());
    EXPECT_EQ(4u, borrower.getSize());
    borrower.release();  // borrowed: must not free b's buffer
    EXPECT_EQ(0, std::memcmp("wxyz", b.getData(), 4));
}

TEST(BlobBuffer, AssignmentKeepsCapacityAndCopiesFormat)
{
    Blob big;
    big.reserve(64);
    Blob small("abc");
    big = small;
    EXPECT_EQ(64u, big.getSize());
    EXPECT_EQ(3u, big.getLength());
    EXPECT_EQ(12u, big.getFormat());
    EXPECT_STREQ("abc", big.getString());

    big = big;  // self-assignment leaves it alone
    EXPECT_STREQ("abc", big.getString());

    Blob none;
    big = none;
    EXPECT_TRUE(big.isNull());
    EXPECT_EQ(0u, big.getFormat());
}

TEST(BlobBuffer, HandedInBufferIsNeverOverrun)
{
    GuardedBlob b(16);
    b.setFormat(BLOB_CHAR);
    b.set(bytes("0123456789ABCDEF"), 16);  // fills it exactly
    EXPECT_TRUE(b.usesOwnArea());
    b.toLower();
    EXPECT_STREQ("0123456789abcdef", b.getString());
    b.setLength(16);
    b.setLength(17);  // ignored
    b.clear();
    b.add(bytes("abcdefghijklmno"), 15);
    b.add(bytes("p"), 1);
    EXPECT_TRUE(b.usesOwnArea());
    EXPECT_TRUE(b.guardsIntact());

    // Wide text with no zero character inside the capacity: toLower stops at the end.
    GuardedBlob w(8);
    w.set(reinterpret_cast<const unsigned char*>(L"ABCD"), 8);
    w.setFormat(BLOB_WCHAR);
    w.toLower();
    EXPECT_STREQ(L"abcd", w.getWString());
    EXPECT_TRUE(w.guardsIntact());

    // Growth beyond the handed-in buffer moves to an owned one and leaves it alone.
    b.add(bytes("XYZ"), 3);
    EXPECT_FALSE(b.usesOwnArea());
    EXPECT_FALSE(b.isExternal());
    EXPECT_EQ(19u, b.getSize());
    EXPECT_TRUE(b.guardsIntact());
    EXPECT_STREQ("abcdefghijklmnopXYZ", b.getString());
}

namespace {
void formatGuarded(Blob& target, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    StrBlob::formatInto(target, format, args);
    va_end(args);
}
}  // namespace

TEST(BlobBuffer, FormattingStaysInsideAHandedIn512Buffer)
{
    GuardedBlob b(STRBLOB_FORMAT_LIMIT);
    formatGuarded(b, "%s", std::string(2000, 'g').c_str());
    EXPECT_TRUE(b.usesOwnArea());
    EXPECT_EQ(512u, b.getLength());
    EXPECT_TRUE(b.guardsIntact());
    formatGuarded(b, "%s-%d", "short", 1);
    EXPECT_STREQ("short-1", reinterpret_cast<const char*>(b.getData()));
    EXPECT_EQ(0, b.getData()[8]);  // the long text behind it is gone
    EXPECT_TRUE(b.guardsIntact());
}

TEST(BlobBuffer, AllocationFailureIsReportedNotThrown)
{
    Blob b("keep");
    {
        StderrCapture err;
        EXPECT_TRUE(b.set(nullptr, 0xF0000000UL));
        EXPECT_EQ(0u, err.text().find("cought std::bad_alloc "));
        EXPECT_EQ('\n', err.text().back());
    }
    EXPECT_STREQ("keep", b.getString());  // left consistent
    {
        StderrCapture err;
        EXPECT_TRUE(b.add(nullptr, 0xF0000000UL));
        EXPECT_EQ(0u, err.text().find("cought std::bad_alloc "));
    }
    EXPECT_STREQ("keep", b.getString());
    EXPECT_EQ(4u, b.getLength());
}

// ---- format word ----------------------------------------------------------------------

struct FormatStep {
    unsigned long before;
    unsigned long f;
    unsigned long after;
};

class BlobFormatWord : public ::testing::TestWithParam<FormatStep> {};

TEST_P(BlobFormatWord, Transition)
{
    // 0x100 lies outside the low byte: the OR keeps it and no rule clears it.
    Blob start;
    start.setFormat(GetParam().before | 0x100);
    ASSERT_EQ(GetParam().before | 0x100, start.getFormat());
    start.setFormat(GetParam().f);
    EXPECT_EQ(GetParam().after | (GetParam().f == 0 ? 0 : 0x100), start.getFormat())
        << "from " << GetParam().before << " with " << GetParam().f;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BlobFormatWord,
    ::testing::Values(FormatStep{31, 0, 0}, FormatStep{12, 0, 0},
                      FormatStep{0, 1, 1}, FormatStep{30, 1, 1}, FormatStep{20, 1, 1},
                      FormatStep{0, 2, 2}, FormatStep{29, 2, 2}, FormatStep{12, 2, 2},
                      FormatStep{0, 4, 4}, FormatStep{3, 4, 4}, FormatStep{11, 4, 12},
                      FormatStep{19, 4, 20}, FormatStep{0, 8, 12}, FormatStep{1, 8, 12},
                      FormatStep{20, 8, 12}, FormatStep{2, 8, 12}, FormatStep{0, 16, 20},
                      FormatStep{12, 16, 20}, FormatStep{3, 16, 20}, FormatStep{12, 6, 14},
                      FormatStep{1, 24, 25}, FormatStep{4, 3, 7}));

// ---- numbers --------------------------------------------------------------------------

TEST(BlobNumber, AssignmentToPlainBlobIsNetworkOrder)
{
    Blob b;
    b = 5UL;
    EXPECT_EQ((std::vector<unsigned char>{0, 0, 0, 5}), contents(b));
    EXPECT_EQ(BLOB_NETWORK_LONG, b.getFormat());
    EXPECT_EQ(5u, b.toULong());
    EXPECT_STREQ("5", b.getString());

    b = 0x01020304UL;
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4}), contents(b));
    EXPECT_EQ(0x01020304u, b.toULong());
}

TEST(BlobNumber, HostOrderIsStoredAsInMemory)
{
    Blob b;
    b.setFormat(BLOB_HOST_LONG);
    b = 0x01020304UL;
    EXPECT_EQ((std::vector<unsigned char>{4, 3, 2, 1}), contents(b));  // x86 is little-endian
    EXPECT_EQ(BLOB_HOST_LONG, b.getFormat());
    EXPECT_EQ(0x01020304u, b.toULong());
    EXPECT_STREQ("16909060", b.getString());
    b.setFormat(BLOB_NETWORK_LONG);
    EXPECT_EQ(0x04030201u, b.toULong());
}

TEST(BlobNumber, TextBlobGetsSignedDecimal)
{
    Blob b("old text");
    b = 4294967295UL;
    EXPECT_STREQ("-1", b.getString());
    EXPECT_EQ(12u, b.getFormat());
    b = 123UL;
    EXPECT_STREQ("123", b.getString());
    EXPECT_EQ(8u, b.getSize());  // capacity stays

    Blob wide(L"w");
    wide = 4294967295UL;
    EXPECT_EQ(20u, wide.getFormat());
    EXPECT_STREQ(L"-1", wide.getWString());
}

TEST(BlobNumber, AppendToNarrowIsSignedToWideUnsigned)
{
    Blob narrow("n=");
    narrow += 4294967295UL;
    EXPECT_STREQ("n=-1", narrow.getString());

    Blob wide(L"w=");
    wide += 4294967295UL;
    EXPECT_EQ(20u, wide.getFormat());
    EXPECT_STREQ(L"w=4294967295", wide.getWString());
}

TEST(BlobNumber, AppendToBinaryPacksFourBytes)
{
    Blob net;
    net = 1UL;
    net += 0x0A0B0C0DUL;
    EXPECT_EQ((std::vector<unsigned char>{0, 0, 0, 1, 0x0A, 0x0B, 0x0C, 0x0D}), contents(net));
    EXPECT_EQ(BLOB_NETWORK_LONG, net.getFormat());
    // Eight bytes read back as the first four as they lie in memory.
    EXPECT_EQ(0x01000000u, net.toULong());

    Blob host;
    host.setFormat(BLOB_HOST_LONG);
    host += 0x0A0B0C0DUL;
    EXPECT_EQ((std::vector<unsigned char>{0x0D, 0x0C, 0x0B, 0x0A}), contents(host));

    Blob other("abc");
    EXPECT_EQ(0u, other.toULong());  // neither 4 nor 8 bytes
    EXPECT_EQ(0u, Blob().toULong());
}

TEST(BlobNumber, FourTextBytesShowAsNumber)
{
    Blob b(bytes("abcd"), 4);
    b.setFormat(BLOB_TEXT);
    EXPECT_STREQ("1633837924", b.getString());
    EXPECT_STREQ(L"1633837924", b.getWString());

    Blob plain(bytes("abcd"), 4);  // format 0: the bytes themselves
    EXPECT_STREQ("abcd", plain.getString());

    Blob negative;
    negative = 0xFFFFFFFEUL;
    EXPECT_STREQ("-2", negative.getString());
}
