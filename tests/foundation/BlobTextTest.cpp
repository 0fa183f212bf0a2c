// Blob as text: narrow/wide views and conversion, equality, hex, lower case, appending
// texts of the other width, and the formatting Blobs.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/IOBlob.h>
#include <zvcrypt/StrBlob.h>
#include <cstring>
#include <cwchar>
#include <string>

using namespace zvcrypt;

namespace {
const unsigned char* bytes(const char* s) { return reinterpret_cast<const unsigned char*>(s); }
}  // namespace

TEST(BlobText, NarrowAndWideViewsConvert)
{
    Blob narrow("Path\\file.txt");
    EXPECT_STREQ(L"Path\\file.txt", narrow.getWString());
    Blob wide(L"Path\\file.txt");
    EXPECT_STREQ("Path\\file.txt", wide.getString());
    // The views of the own width point into the Blob itself.
    EXPECT_EQ(reinterpret_cast<const char*>(narrow.getData()), narrow.getString());
    EXPECT_EQ(reinterpret_cast<const wchar_t*>(wide.getData()), wide.getWString());
}

TEST(BlobText, ConversionFunctions)
{
    Blob dst("stale contents that are longer");
    mbsToWcs(Blob("abc"), dst);
    EXPECT_EQ(20u, dst.getFormat());
    EXPECT_EQ(6u, dst.getLength());
    EXPECT_STREQ(L"abc", dst.getWString());

    wcsToMbs(Blob(L"xyz"), dst);
    EXPECT_EQ(12u, dst.getFormat());
    EXPECT_EQ(3u, dst.getLength());
    EXPECT_STREQ("xyz", dst.getString());

    Blob* wide = toWide(Blob("hi"));
    EXPECT_EQ(20u, wide->getFormat());
    EXPECT_STREQ(L"hi", wide->getWString());
    Blob* narrow = toNarrow(Blob(L"ho"));
    EXPECT_EQ(12u, narrow->getFormat());
    EXPECT_STREQ("ho", narrow->getString());

    // A source without buffer empties the target completely.
    mbsToWcs(Blob(), dst);
    EXPECT_TRUE(dst.isNull());
    EXPECT_EQ(0u, dst.getFormat());

    // Converting a Blob into itself works.
    Blob self("self");
    mbsToWcs(self, self);
    EXPECT_STREQ(L"self", self.getWString());
    EXPECT_EQ(8u, self.getLength());
}

TEST(BlobText, UnconvertibleWideTextGivesEmptyResult)
{
    // A character beyond 0xFF cannot be written as narrow text in the C locale.
    const wchar_t odd[] = {L'a', 0x4E2D, L'b', 0};
    Blob wide(odd);
    Blob narrow("x");
    wcsToMbs(wide, narrow);
    EXPECT_EQ(0u, narrow.getLength());
    EXPECT_STREQ("", narrow.getString());
}

TEST(BlobText, ConvertChangesWidthOrOnlyTheLabel)
{
    Blob b("Ab1");
    b.convert(BLOB_WCHAR);
    EXPECT_EQ(20u, b.getFormat());
    EXPECT_EQ(6u, b.getLength());
    EXPECT_STREQ(L"Ab1", reinterpret_cast<const wchar_t*>(b.getData()));
    b.convert(BLOB_CHAR);
    EXPECT_EQ(12u, b.getFormat());
    EXPECT_EQ(3u, b.getLength());
    EXPECT_EQ(0, std::memcmp("Ab1", b.getData(), 3));

    b.convert(BLOB_HOST_LONG);  // relabelling: the bytes stay
    EXPECT_EQ(BLOB_HOST_LONG, b.getFormat());
    EXPECT_EQ(0, std::memcmp("Ab1", b.getData(), 3));

    Blob empty;
    empty.convert(BLOB_WCHAR);  // length 0: nothing at all
    EXPECT_EQ(0u, empty.getFormat());
}

TEST(BlobText, EqualityComparesBytesOnly)
{
    EXPECT_TRUE(Blob() == Blob());
    EXPECT_TRUE(Blob("") == Blob(L""));
    EXPECT_FALSE(Blob("abc") == Blob(L"abc"));  // 3 bytes against 6
    EXPECT_TRUE(Blob("abc") == Blob("abc"));
    EXPECT_FALSE(Blob("abc") == Blob("abC"));
    Blob relabelled("abc");
    relabelled.setFormat(BLOB_HOST_LONG);
    EXPECT_TRUE(relabelled == Blob("abc"));
    EXPECT_TRUE(Blob("ab") != Blob("abc"));
}

TEST(BlobText, HexIsUpperCaseWithoutSeparators)
{
    const unsigned char raw[] = {0x01, 0xAB};
    EXPECT_STREQ("01AB", Blob(raw, 2).toHex());
    EXPECT_STREQ("", Blob().toHex());
    const unsigned char all[] = {0x00, 0x7F, 0x80, 0xFF, 0x0A};
    EXPECT_STREQ("007F80FF0A", Blob(all, 5).toHex());

    std::string longHex = Blob(std::string(300, '\xC3').c_str()).toHex();
    std::string expected;
    for (int i = 0; i < 300; ++i)
        expected += "C3";
    EXPECT_EQ(expected, longHex);  // longer than the 512 bytes the scratch Blob starts with
}

TEST(BlobText, ToLowerLimits)
{
    // Narrow: the whole length, zero bytes included, nothing behind it.
    Blob narrow(bytes("AB\0CD"), 5);
    narrow.setFormat(BLOB_CHAR);
    narrow.toLower();
    EXPECT_EQ(0, std::memcmp("ab\0cd", narrow.getData(), 5));

    Blob shortened("ABCDEF");
    shortened.set(shortened.getData(), 3);  // length 3, bytes behind it stay
    shortened.toLower();
    EXPECT_EQ(0, std::memcmp("abcDEF", shortened.getData(), 6));

    // Bytes above 0x7F are left alone.
    Blob high(bytes("\xC4Z"), 2);
    high.toLower();
    EXPECT_EQ(0xC4, high.getData()[0]);
    EXPECT_EQ('z', high.getData()[1]);

    // Wide: up to the first zero character.
    const wchar_t text[] = {L'A', L'B', 0, L'C', L'D'};
    Blob wide(reinterpret_cast<const unsigned char*>(text), sizeof text);
    wide.setFormat(BLOB_WCHAR);
    wide.toLower();
    const wchar_t* w = reinterpret_cast<const wchar_t*>(wide.getData());
    EXPECT_EQ(L'a', w[0]);
    EXPECT_EQ(L'b', w[1]);
    EXPECT_EQ(L'C', w[3]);
    EXPECT_EQ(L'D', w[4]);

    Blob none;
    none.toLower();
    EXPECT_TRUE(none.isNull());
}

TEST(BlobAppend, OtherWidthIsConverted)
{
    Blob narrow("abc");
    narrow += Blob(L"def");
    EXPECT_EQ(12u, narrow.getFormat());
    EXPECT_EQ(6u, narrow.getLength());
    EXPECT_STREQ("abcdef", narrow.getString());

    Blob wide(L"abc");
    wide += Blob("def");
    EXPECT_EQ(20u, wide.getFormat());
    EXPECT_EQ(12u, wide.getLength());
    EXPECT_STREQ(L"abcdef", wide.getWString());
}

TEST(BlobAppend, EmptyBlobTakesTheOthersFormat)
{
    Blob empty;
    empty += Blob(L"xy");
    EXPECT_EQ(20u, empty.getFormat());
    EXPECT_STREQ(L"xy", empty.getWString());

    Blob cleared("zz");
    cleared.clear();
    cleared += Blob(L"w");
    EXPECT_EQ(20u, cleared.getFormat());

    Blob same("ab");
    same += Blob();  // no buffer: nothing
    same += same;    // itself
    EXPECT_STREQ("abab", same.getString());
}

TEST(StrBlobFormat, FormatsIntoOwnBuffer)
{
    StrBlob s("%s=%d", "value", 42);
    EXPECT_STREQ("value=42", s.getString());
    EXPECT_EQ(8u, s.getLength());
    EXPECT_EQ(512u, s.getSize());
    EXPECT_EQ(12u, s.getFormat());

    s.format("%08X", 0xBEEFu);
    EXPECT_STREQ("0000BEEF", s.getString());
    EXPECT_EQ(8u, s.getLength());
    s.format("x");
    EXPECT_STREQ("x", s.getString());
    EXPECT_EQ(0, s.getData()[2]);  // the rest of the former text is gone

    StrBlob empty;
    EXPECT_EQ(0u, empty.getLength());
    EXPECT_EQ(512u, empty.getSize());
    EXPECT_STREQ("", empty.getString());
    empty.format(nullptr);
    EXPECT_STREQ("", empty.getString());
}

TEST(StrBlobFormat, LongTextIsCutAt512)
{
    std::string text(600, 'q');
    text[511] = 'E';
    StrBlob s("%s", text.c_str());
    EXPECT_EQ(512u, s.getLength());
    EXPECT_EQ(512u, s.getSize());
    EXPECT_EQ(512u, std::strlen(s.getString()));
    EXPECT_EQ('E', s.getString()[511]);
    for (unsigned long i = 0; i < BLOB_ZERO_TAIL; ++i)
        EXPECT_EQ(0, s.getData()[512 + i]);

    StrBlob exact("%s", std::string(512, 'x').c_str());
    EXPECT_EQ(512u, exact.getLength());
    StrBlob below("%s", std::string(511, 'x').c_str());
    EXPECT_EQ(511u, below.getLength());

    // A released StrBlob gets its buffer back instead of being overrun.
    s.release();
    s.format("%s", text.c_str());
    EXPECT_EQ(512u, s.getLength());
}

TEST(IOBlobFormat, BorrowsFromTheScratchRing)
{
    IOBlob io("%d-%s", 7, "seven");
    EXPECT_STREQ("7-seven", io.getString());
    EXPECT_TRUE(io.isExternal());
    EXPECT_EQ(12u, io.getFormat());
    EXPECT_GE(io.getSize(), 512u);

    IOBlob longOne("%s", std::string(700, 'L').c_str());
    EXPECT_EQ(512u, longOne.getLength());
    EXPECT_EQ(512u, std::strlen(longOne.getString()));

    IOBlob plain;
    EXPECT_EQ(0u, plain.getLength());
    EXPECT_STREQ("", plain.getString());
    EXPECT_TRUE(plain.isExternal());
}

TEST(IOBlobFormat, SlotIsHandedOutAgain200RequestsLater)
{
    IOBlob io("mine");
    unsigned char* buffer = io.getData();
    for (unsigned long i = 0; i < Blob::TEMP_BLOB_COUNT - 1; ++i)
        ASSERT_NE(buffer, Blob::getTempBlob(512)->getData());
    EXPECT_EQ(buffer, Blob::getTempBlob(512)->getData());
    // The IOBlob's own destruction does not free the slot's buffer.
}
