// Loading the package's pictures into bitmaps.
#include "EjectSupport.h"
#include <Splash.h>
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
