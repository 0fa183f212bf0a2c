// Blob operations return every buffer they allocate: the program's operator new and
// delete are counted while a workload of growth, copies, conversions and formatting runs.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/IOBlob.h>
#include <zvcrypt/StrBlob.h>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {
std::atomic<long> sLive{0};

void* counted(std::size_t n, bool nothrow = false)
{
    void* p = std::malloc(n ? n : 1);
    if (!p && !nothrow)
        throw std::bad_alloc();
    sLive += p != nullptr;
    return p;
}
void release(void* p)
{
    sLive -= p != nullptr;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) { return counted(n); }
void* operator new[](std::size_t n) { return counted(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted(n, true); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted(n, true); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

using namespace zvcrypt;

namespace {
void workload()
{
    Blob grown;
    for (int i = 0; i < 50; ++i)
        grown.add(reinterpret_cast<const unsigned char*>("xy"), 2);
    Blob copy(grown);
    copy = Blob(std::string(300, 'z').c_str());
    copy = 7UL;
    copy += 8UL;
    Blob text("narrow text");
    text += Blob(L" and wide");
    text.convert(BLOB_WCHAR);
    text.convert(BLOB_CHAR);
    text += 12UL;
    (void)text.getWString();
    (void)text.toHex();
    StrBlob s("%s %d", "formatted", 1);
    StrBlob copied(s);
    copied.format("%s", std::string(700, 'f').c_str());
    IOBlob io("%d", 42);
    io.add(reinterpret_cast<const unsigned char*>(std::string(600, 'p').c_str()), 600);
}
}  // namespace

TEST(BlobMemory, EveryBufferABlobAllocatesIsReturned)
{
    {
        long outside = sLive.load();
        Blob counted("counted");
        ASSERT_EQ(outside + 1, sLive.load()) << "operator new is not the counted one";
    }
    // Warm the scratch ring: every slot holds its buffer for the life of the process.
    for (unsigned long i = 0; i < 2 * Blob::TEMP_BLOB_COUNT; ++i)
        Blob::getTempBlob(4096);
    workload();
    long before = sLive.load();
    for (int round = 0; round < 5; ++round)
        workload();
    EXPECT_EQ(before, sLive.load());
}
