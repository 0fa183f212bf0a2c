// Loading the package's pictures into bitmaps.
#include "EjectSupport.h"
#include <Picture.h>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {

// Committed private memory of the process, region by region (Wine's process counters do
// not follow heap blocks closely enough).
unsigned long long PrivateBytes()
{
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (const char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return total;
}

} // namespace

TEST(LoadPictureFile, ReadsBmpJpegAndGif)
{
    for (const char* name : {"removesplash.bmp", "removesplash.jpg", "ejectoksplash.gif"}) {
        HBITMAP h = LoadPictureFile(PackageFile(name).c_str());
        BITMAP bm = {};
        ASSERT_EQ(static_cast<int>(sizeof bm), GetObjectA(h, sizeof bm, &bm))
            << name << ": the handle outlives the picture";
        EXPECT_EQ(400, bm.bmWidth) << name;
        EXPECT_EQ(300, bm.bmHeight) << name;
        DeleteObject(h);
    }
}

TEST(LoadPictureFile, GivesNullForWhatIsNoPicture)
{
    TempDir dir("ejtest");
    std::string bmp = ReadBytes(PackageFile("removesplash.bmp"));
    std::string jpg = ReadBytes(PackageFile("removesplash.jpg"));
    struct Case { const char* name; std::string bytes; } cases[] = {
        {"truncated.bmp", bmp.substr(0, 100)},
        {"headeronly.bmp", bmp.substr(0, 54)},
        {"lastrowmissing.bmp", bmp.substr(0, bmp.size() - 1200)},
        {"truncated.jpg", jpg.substr(0, jpg.size() / 3)},
        {"truncated.gif", ReadBytes(PackageFile("ejectoksplash.gif")).substr(0, 30)},
        {"text.bmp", "[Application]\r\nRemoveSplash=x\r\n"},
        {"empty.bmp", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(dir.path(c.name), c.bytes));
        EXPECT_EQ(nullptr, LoadPictureFile(dir.path(c.name).c_str())) << c.name;
    }
    EXPECT_EQ(nullptr, LoadPictureFile(nullptr));
    EXPECT_EQ(nullptr, LoadPictureFile(""));
    EXPECT_EQ(nullptr, LoadPictureFile(dir.path("missing.bmp").c_str()));
    EXPECT_EQ(nullptr, LoadPictureFile(dir.dir().c_str())) << "a folder";
}

TEST(LoadPictureFile, LeaksNoMemoryOverManyLoads)
{
    TempDir dir("ejtest");
    ASSERT_TRUE(WriteBytes(dir.path("big.txt"), std::string(2 * 1024 * 1024, 'x')));
    const std::string bmp = PackageFile("removesplash.bmp"), text = dir.path("big.txt");
    auto loadAll = [&](int n) {
        for (int i = 0; i < n; ++i) {
            HBITMAP h = LoadPictureFile(bmp.c_str());
            ASSERT_NE(nullptr, h);
            DeleteObject(h);
            ASSERT_EQ(nullptr, LoadPictureFile(text.c_str()));
        }
    };
    loadAll(5);  // first-use allocations of the picture loader
    unsigned long long before = PrivateBytes();
    loadAll(150);
    unsigned long long after = PrivateBytes();
    // A leaked file block or bitmap per load would be 150 x (0.36 + 2) MB or 150 x 0.48 MB.
    EXPECT_LT(after, before + 48ull * 1024 * 1024) << before << " -> " << after;
}

namespace {

// A BMP file's first bytes: the 14-byte file header and an info header of infoSize bytes
// (12: the old core header, 40: the usual one), then `pixels` bytes of pixel data.
struct BmpBytes {
    const char* name;
    DWORD infoSize;
    LONG width, height;
    WORD bits;
    DWORD compression, imageSize;
    long offBitsDelta;   // added to where the pixels really start
    size_t pixels;
    long cut;            // bytes taken off the end (negative: bytes added)
    bool cutOff;         // what the check must answer
};

std::string Build(const BmpBytes& b)
{
    std::string out;
    auto put = [&out](unsigned long value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const size_t start = 14 + b.infoSize;
    out += "BM";
    put(static_cast<unsigned long>(start + b.pixels), 4);
    put(0, 4);
    put(static_cast<unsigned long>(static_cast<long>(start) + b.offBitsDelta), 4);
    put(b.infoSize, 4);
    if (b.infoSize == 12) {
        put(static_cast<unsigned long>(b.width), 2);
        put(static_cast<unsigned long>(b.height), 2);
        put(1, 2);
        put(b.bits, 2);
    } else {
        put(static_cast<unsigned long>(b.width), 4);
        put(static_cast<unsigned long>(b.height), 4);
        put(1, 2);
        put(b.bits, 2);
        put(b.compression, 4);
        put(b.imageSize, 4);
        out.resize(14 + b.infoSize, '\0');
    }
    out.append(b.pixels, '\x55');
    if (b.cut > 0) out.resize(out.size() - static_cast<size_t>(b.cut));
    else out.append(static_cast<size_t>(-b.cut), '\0');
    return out;
}

} // namespace

// Rows of 4 bytes: a 3 x 2 picture of 24 bits has rows of 9 bytes padded to 12, so 24 bytes.
TEST(BitmapFileCheck, TellsACutOffFileFromAWholeOneAndLeavesOtherFormatsAlone)
{
    const BmpBytes cases[] = {
        {"whole 24-bit picture", 40, 3, 2, 24, BI_RGB, 0, 0, 24, 0, false},
        {"last padding byte missing", 40, 3, 2, 24, BI_RGB, 0, 0, 24, 1, true},
        {"whole row missing", 40, 3, 2, 24, BI_RGB, 0, 0, 12, 0, true},
        {"trailing bytes are fine", 40, 3, 2, 24, BI_RGB, 0, 0, 24, -100, false},
        {"top-down picture (negative height)", 40, 3, -2, 24, BI_RGB, 0, 0, 24, 0, false},
        {"top-down picture cut short", 40, 3, -2, 24, BI_RGB, 0, 0, 23, 0, true},
        {"old core header, whole", 12, 3, 2, 24, BI_RGB, 0, 0, 24, 0, false},
        {"old core header, cut short", 12, 3, 2, 24, BI_RGB, 0, 0, 20, 0, true},
        {"bit fields count like plain pixels", 40, 32, 1, 32, BI_BITFIELDS, 0, 0, 128, 0, false},
        {"bit fields cut short", 40, 32, 1, 32, BI_BITFIELDS, 0, 0, 127, 0, true},
        {"1-bit rows are 4 bytes", 40, 33, 2, 1, BI_RGB, 0, 0, 16, 0, false},
        {"1-bit rows cut short", 40, 33, 2, 1, BI_RGB, 0, 0, 15, 0, true},
        {"compressed: the stated size is there", 40, 3, 2, 8, BI_RLE8, 10, 0, 10, 0, false},
        {"compressed: less than the stated size", 40, 3, 2, 8, BI_RLE8, 10, 0, 9, 0, true},
        {"no width", 40, 0, 2, 24, BI_RGB, 0, 0, 24, 0, true},
        {"no height", 40, 3, 0, 24, BI_RGB, 0, 0, 24, 0, true},
        {"pixels said to start past the end", 40, 3, 2, 24, BI_RGB, 0, 1000, 24, 0, true},
        {"info header size too small", 8, 3, 2, 24, BI_RGB, 0, 0, 24, 0, true},
        {"info header between core and info size", 20, 3, 2, 24, BI_RGB, 0, 0, 24, 0, true},
        {"info header longer than the file", 4000, 3, 2, 24, BI_RGB, 0, 0, 0, 3980, true},
    };
    struct Raw { const char* name; std::string bytes; bool cutOff; };
    std::vector<Raw> raws = {
        // Other formats and short headers are left to their own rules.
        {"empty", "", false},
        {"one byte", "B", false},
        {"GIF signature", "GIF89a", false},
        {"JPEG signature", std::string("\xFF\xD8\xFF\xE0", 4), false},
        {"'BM' alone", "BM", true},
        {"file header without info header", std::string("BM") + std::string(12, '\0'), true},
        {"file header and half a core header", std::string("BM") + std::string(18, '\0'), true},
    };
    for (const BmpBytes& c : cases) raws.push_back({c.name, Build(c), c.cutOff});
    for (const Raw& c : raws)
        EXPECT_EQ(c.cutOff, IsCutOffBitmapFile(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()))
            << c.name;
}
