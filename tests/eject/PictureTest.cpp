// Loading the package's pictures into bitmaps.
#include "EjectSupport.h"
#include <Splash.h>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {

const COLORREF BLUE = RGB(0x1F, 0x4E, 0x79);
const COLORREF YELLOW = RGB(0xF2, 0xC5, 0x00);
const COLORREF GREEN = RGB(0x2E, 0x7D, 0x32);
const COLORREF WHITE = RGB(0xFF, 0xFF, 0xFF);

// Committed private memory of the process, region by region (Wine's process counters do
// not follow heap blocks closely enough).
unsigned long long PrivateBytes()
{
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    const char* p = nullptr;
    while (VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi) {
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
    struct Case { const char* name; COLORREF outer, inner; int tolerance; } cases[] = {
        {"removesplash.bmp", BLUE, YELLOW, 0},
        {"removesplash.jpg", BLUE, YELLOW, 12},
        {"ejectoksplash.bmp", GREEN, WHITE, 0},
        {"ejectoksplash.gif", GREEN, WHITE, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP h = LoadPictureFile(PackageFile(c.name).c_str());
        ASSERT_NE(nullptr, h);
        BITMAP bm = {};
        ASSERT_EQ(static_cast<int>(sizeof bm), GetObjectA(h, sizeof bm, &bm)) << "the handle outlives the picture";
        EXPECT_EQ(400, bm.bmWidth);
        EXPECT_EQ(300, bm.bmHeight);
        COLORREF corner = BitmapPixel(h, 3, 3), middle = BitmapPixel(h, 200, 150);
        EXPECT_TRUE(SimilarColour(c.outer, corner, c.tolerance)) << std::hex << corner;
        EXPECT_TRUE(SimilarColour(c.inner, middle, c.tolerance)) << std::hex << middle;
        DeleteObject(h);
    }
}

TEST(LoadPictureFile, GivesNullForWhatIsNoPicture)
{
    TempDir dir;
    std::string bmp = ReadFile(PackageFile("removesplash.bmp"));
    WriteFile(dir.file("truncated.bmp"), bmp.substr(0, 100));
    WriteFile(dir.file("headeronly.bmp"), bmp.substr(0, 54));
    WriteFile(dir.file("lastrowmissing.bmp"), bmp.substr(0, bmp.size() - 1200));
    std::string jpg = ReadFile(PackageFile("removesplash.jpg"));
    WriteFile(dir.file("truncated.jpg"), jpg.substr(0, jpg.size() / 3));
    std::string gif = ReadFile(PackageFile("ejectoksplash.gif"));
    WriteFile(dir.file("truncated.gif"), gif.substr(0, 30));
    WriteFile(dir.file("text.bmp"), "[Application]\r\nRemoveSplash=x\r\n");
    WriteFile(dir.file("empty.bmp"), "");
    EXPECT_EQ(nullptr, LoadPictureFile(nullptr));
    EXPECT_EQ(nullptr, LoadPictureFile(""));
    EXPECT_EQ(nullptr, LoadPictureFile(dir.file("missing.bmp").c_str()));
    EXPECT_EQ(nullptr, LoadPictureFile(dir.path().c_str())) << "a folder";
    for (const char* name : {"truncated.bmp", "headeronly.bmp", "lastrowmissing.bmp", "truncated.jpg", "truncated.gif",
                             "text.bmp", "empty.bmp"})
        EXPECT_EQ(nullptr, LoadPictureFile(dir.file(name).c_str())) << name;
}

TEST(LoadPictureFile, LeaksNeitherMemoryNorGdiObjects)
{
    TempDir dir;
    // 1200 x 1000 x 3 bytes: a leaked file block would show at once.
    WriteBmpFile(dir.file("big.bmp"), 1200, 1000, BLUE, YELLOW);
    WriteFile(dir.file("big.txt"), std::string(4 * 1024 * 1024, 'x'));
    std::string big = dir.file("big.bmp"), text = dir.file("big.txt");

    auto loadAll = [&](int n) {
        for (int i = 0; i < n; ++i) {
            HBITMAP h = LoadPictureFile(big.c_str());
            ASSERT_NE(nullptr, h);
            DeleteObject(h);
            ASSERT_EQ(nullptr, LoadPictureFile(text.c_str()));
        }
    };
    loadAll(5);  // first-use allocations of the picture loader
    DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    unsigned long long before = PrivateBytes();
    loadAll(30);
    unsigned long long after = PrivateBytes();
    DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    // 30 leaked blocks would be 30 x (3.6 + 4) MB.
    EXPECT_LT(after, before + 64ull * 1024 * 1024) << before << " -> " << after;
    // Where the count is known (Windows; Wine reports 0): no GDI object is left behind.
    if (gdiBefore != 0) {
        EXPECT_LE(gdiAfter, gdiBefore + 2);
    }
}
