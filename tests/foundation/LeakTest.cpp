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

void* counted(std::size_t n)
{
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    ++sLive;
    return p;
}
void release(void* p)
{
    if (p) {
        --sLive;
        std::free(p);
    }
}
}  // namespace

void* operator new(std::size_t n) { return counted(n); }
void* operator new[](std::size_t n) { return counted(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try { return counted(n); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept
{
    try { return counted(n); } catch (...) { return nullptr; }
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

using namespace zvcrypt;

namespace {
void workload()
{
    Blob grown;
    for (int i = 0; i < 50; ++i)
        grown.add(reinterpret_cast<const unsigned char*>("xy"), 2);
    Blob copy(grown);
    copy = Blob("shorter");
    copy = Blob(std::string(300, 'z').c_str());
    copy.release();
    copy = 7UL;
    copy += 8UL;

    Blob narrow("narrow text");
    narrow += Blob(L" and wide");
    narrow.convert(BLOB_WCHAR);
    narrow.convert(BLOB_CHAR);
    Blob wide(L"wide");
    wide += 12UL;
    (void)wide.getString();
    (void)narrow.getWString();
    (void)narrow.toHex();
    narrow.reserve(4096);

    StrBlob s("%s %d", "formatted", 1);
    s.format("%s", std::string(700, 'f').c_str());
    StrBlob copied(s);
    copied.format("again");
    IOBlob io("%d", 42);
    IOBlob plain;
    plain.add(reinterpret_cast<const unsigned char*>(std::string(600, 'p').c_str()), 600);

    Blob handed;
    unsigned char* buffer = nullptr;
    handed.allocate(16, &buffer);
    handed.setBuffer(buffer, 16);
    handed.add(nullptr, 20);
}
}  // namespace

TEST(BlobMemory, EveryBufferIsReturned)
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
