// Blob as text: narrow/wide conversion and equality, hex, lower case, appending texts of
// the other width, and the 512-byte formatting Blob.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/StrBlob.h>
#include <cstring>
#include <string>

using namespace zvcrypt;

namespace {
const unsigned char* textBytes(const char* s) { return reinterpret_cast<const unsigned char*>(s); }
const unsigned long NARROW = BLOB_TEXT | BLOB_CHAR, WIDE = BLOB_TEXT | BLOB_WCHAR;
}  // namespace

TEST(BlobText, NarrowAndWideConvertBothWaysWhateverTheTarget)
{
    EXPECT_STREQ("Path\\f.txt", Blob(L"Path\\f.txt").getString());
    Blob dst("stale contents that are longer");
    mbsToWcs(Blob("abc"), dst);
    EXPECT_EQ(WIDE, dst.getFormat());
    EXPECT_EQ(6u, dst.getLength());
    EXPECT_STREQ(L"abc", dst.getWString());
    wcsToMbs(Blob(L"xyz"), dst);
    EXPECT_EQ(NARROW, dst.getFormat());
    EXPECT_EQ(3u, dst.getLength());
    mbsToWcs(Blob(), dst);  // a source without buffer empties the target
    EXPECT_TRUE(dst.isNull());

    Blob self("self");
    mbsToWcs(self, self);
    EXPECT_STREQ(L"self", self.getWString());
    self.convert(BLOB_CHAR);
    EXPECT_EQ(0, std::memcmp("self", self.getData(), 5));
    self.convert(BLOB_HOST_LONG);  // not a width: only the label changes
    EXPECT_EQ(BLOB_HOST_LONG, self.getFormat());
    EXPECT_EQ(4u, self.getLength());

    const wchar_t odd[] = {L'a', 0x4E2D, L'b', 0};  // not narrow text in the C locale
    wcsToMbs(Blob(odd), dst);
    EXPECT_EQ(0u, dst.getLength());
}

TEST(BlobText, EqualityComparesTheBytesNotTheLabel)
{
    Blob relabelled("abc");
    relabelled.setFormat(BLOB_HOST_LONG);
    struct Case { Blob a, b; bool equal; };
    const Case cases[] = {{Blob(), Blob(), true},          {Blob(""), Blob(L""), true},
                          {Blob("abc"), Blob(L"abc"), false}, {Blob("abc"), Blob("abC"), false},
                          {relabelled, Blob("abc"), true},  {Blob("ab"), Blob("abc"), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a.toHex() + std::string(" vs ") + c.b.toHex());
        EXPECT_EQ(c.equal, c.a == c.b);
        EXPECT_EQ(!c.equal, c.a != c.b);
    }
}

TEST(BlobText, HexIsUpperCaseWithoutSeparatorsAtAnyLength)
{
    const unsigned char all[] = {0x00, 0x7F, 0x80, 0xFF, 0x0A};
    EXPECT_STREQ("007F80FF0A", Blob(all, 5).toHex());
    EXPECT_STREQ("", Blob().toHex());
    std::string expected;
    for (int i = 0; i < 300; ++i)
        expected += "C3";
    // Longer than the 512 bytes a scratch Blob starts with.
    EXPECT_EQ(expected, Blob(std::string(300, '\xC3').c_str()).toHex());
}

TEST(BlobText, ToLowerCoversTheLengthNarrowAndUpToTheZeroCharacterWide)
{
    Blob narrow(textBytes("AB\0C\xC4Z"), 6);  // zero bytes included, bytes above 0x7F left alone
    narrow.setFormat(BLOB_CHAR);
    narrow.toLower();
    EXPECT_EQ(0, std::memcmp("ab\0c\xC4z", narrow.getData(), 6));

    Blob shortened("ABCDEF");
    shortened.set(shortened.getData(), 3);
    shortened.toLower();
    EXPECT_EQ(0, std::memcmp("abcDEF", shortened.getData(), 6));

    const wchar_t text[] = {L'A', L'B', 0, L'C'};
    Blob wide(reinterpret_cast<const unsigned char*>(text), sizeof text);
    wide.setFormat(BLOB_WCHAR);
    wide.toLower();
    const wchar_t expected[] = {L'a', L'b', 0, L'C'};
    EXPECT_EQ(0, std::memcmp(expected, wide.getData(), sizeof expected));
}

TEST(BlobText, AppendingConvertsToTheTargetsWidth)
{
    Blob narrow("abc");
    narrow += Blob(L"def");
    EXPECT_EQ(NARROW, narrow.getFormat());
    EXPECT_EQ(6u, narrow.getLength());
    EXPECT_STREQ("abcdef", narrow.getString());

    Blob wide(L"abc");
    wide += Blob("def");
    EXPECT_EQ(12u, wide.getLength());
    EXPECT_STREQ(L"abcdef", wide.getWString());

    Blob same("ab");
    same += same;
    EXPECT_STREQ("abab", same.getString());
}

TEST(StrBlobFormat, TextIsCutAt512AndTheFormerTextIsGone)
{
    std::string text(600, 'q');
    text[511] = 'E';
    StrBlob s("%s", text.c_str());
    EXPECT_EQ(512u, s.getLength());
    EXPECT_EQ(512u, std::strlen(s.getString()));
    EXPECT_EQ('E', s.getString()[511]);
    for (unsigned long i = 0; i < BLOB_ZERO_TAIL; ++i)
        EXPECT_EQ(0, s.getData()[512 + i]);
    EXPECT_EQ(511u, StrBlob("%s", std::string(511, 'x').c_str()).getLength());

    s.format("%s=%08X", "v", 0xBEEFu);
    EXPECT_STREQ("v=0000BEEF", s.getString());
    EXPECT_EQ(0, s.getData()[11]);
    s.release();  // a released StrBlob gets its buffer back instead of being overrun
    s.format("%s", text.c_str());
    EXPECT_EQ(512u, s.getLength());
}
