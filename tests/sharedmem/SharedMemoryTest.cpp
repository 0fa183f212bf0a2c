// Named segments and the mapped file: the header layout, a second process continuing the
// data, a corrupt header, the full segment, and both ways of reporting a failure.
#include <gtest/gtest.h>
#include <windows.h>
#include <zvcrypt/SharedMemory.h>
#include <zvcrypt/zvCryptException.h>
#include <zvcrypt/zvIOMemFile.h>
#include <cstring>
#include <string>
#include "ChildProcess.h"
#include "FileBytes.h"
#include "SharedMemSupport.h"
#include "TempDir.h"

using zvcrypt::SharedMemory;
using zvcrypt::SharedMemoryHeader;

namespace {

const unsigned char* bytes(const char* s) { return reinterpret_cast<const unsigned char*>(s); }

bool endsWith(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

// The same 1068 bytes whether the segment lives in memory or in a mapped file: 1000 is raised
// to the smallest segment of 1024, the 44-byte header in front, the data behind it.
TEST(SegmentLayout, HeaderFieldsAndDataAreByteExactInMemoryAndOnDisk)
{
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(uniqueName("hdr").c_str(), 1000));
    ASSERT_TRUE(shm.add(bytes("0123456789"), 10));

    TempDir dir("layout");
    std::string path = dir.path("ring.log");
    {
        zvcrypt::zvIOMemFile io(1000);
        ASSERT_TRUE(io.create(path.c_str(), true, 438));
        ASSERT_EQ(10, io.write("0123456789", 10));
        io.close();
    }
    std::pair<const char*, std::string> sources[] = {
        {"segment", std::string(reinterpret_cast<const char*>(shm.getData()), shm.getSize())},
        {"file", ReadBytes(path)}};
    for (const auto& source : sources) {
        SCOPED_TRACE(source.first);
        const std::string& b = source.second;
        ASSERT_EQ(1068u, b.size());
        EXPECT_EQ(0, b[0] | b[1]) << "marker";
        EXPECT_EQ(666u, le32(b, 4));
        EXPECT_EQ(44u, le32(b, 8));
        EXPECT_EQ(10u, le32(b, 12)) << "used length";
        EXPECT_EQ(1068u, le32(b, 16));
        EXPECT_EQ(GetCurrentProcessId(), le32(b, 24));
        for (size_t at : {20, 28, 32, 36}) EXPECT_EQ(0xFFFFFFFFu, le32(b, at)) << at;
        EXPECT_EQ(std::string("0123456789\0", 11), b.substr(44, 11));
    }
}

TEST(SharedMemorySegment, SecondProcessSeesTheDataAndContinuesBehindIt)
{
    std::string name = uniqueName("xproc");
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(name.c_str(), 4096));
    ASSERT_TRUE(shm.add(bytes("from parent;"), 12));
    // The child checks it sees exactly these 12 bytes behind the header, then appends.
    ASSERT_EQ(0u, RunChild("\"" + ProgramDir() + "\\shm_child.exe\" " + name + " " + std::to_string(4096 + 44) +
                               " \"from parent;\" \"and child\"",
                           ChildStart(), 240000));
    EXPECT_EQ(0, memcmp(shm.getData() + 44, "from parent;and child", 21));
    EXPECT_EQ(21u, reinterpret_cast<const SharedMemoryHeader*>(shm.getData())->ulUsedLength);

    SharedMemory again(false, true);
    ASSERT_TRUE(again.open(name.c_str(), 4096 + 44));
    EXPECT_EQ(21u, again.getLength());
    EXPECT_EQ(65u, again.getPosition());
}

TEST(SharedMemorySegment, OpenIgnoresAHeaderWithWrongMagicOrOversizedLength)
{
    std::string name = uniqueName("badhdr");
    SharedMemory maker(false, true);
    ASSERT_TRUE(maker.create(name.c_str(), 1024));
    ASSERT_TRUE(maker.add(bytes("payload"), 7));
    auto* h = reinterpret_cast<SharedMemoryHeader*>(const_cast<unsigned char*>(maker.getData()));
    struct Case { uint32_t magic, used; } cases[] = {{666, 5000}, {667, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.magic);
        h->ulMagic = c.magic;
        h->ulUsedLength = c.used;
        SharedMemory opener(false, true);
        ASSERT_TRUE(opener.open(name.c_str(), 1068));
        EXPECT_EQ(nullptr, opener.getHeader());
        EXPECT_EQ(0u, opener.getPosition());
        // A later add writes at the view's start and leaves the invalid used length alone.
        ASSERT_TRUE(opener.add(bytes("XY"), 2));
        EXPECT_EQ(0, memcmp(maker.getData(), "XY", 2));
        EXPECT_EQ(c.used, h->ulUsedLength);
    }
}

TEST(SharedMemorySegment, FullSegmentZeroesItsFreeBytesAndKeepsThePosition)
{
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(uniqueName("full").c_str(), 1024));
    std::string big(1020, 'A');
    ASSERT_TRUE(shm.add(bytes(big.c_str()), 1020));
    unsigned char* view = const_cast<unsigned char*>(shm.getData());
    memset(view + 1064, 'Z', 4);  // dirty the free bytes so the zeroing shows

    EXPECT_FALSE(shm.add(bytes("0123456789"), 10));
    EXPECT_EQ(static_cast<unsigned long>(-4), shm.getRetval());
    EXPECT_EQ(1064u, shm.getPosition());
    EXPECT_EQ(std::string("A\0\0\0\0", 5), std::string(reinterpret_cast<char*>(view) + 1063, 5));
    EXPECT_TRUE(shm.add(bytes("1234"), 4)) << "what still fits is taken";
    EXPECT_EQ(1024u, shm.getLength());
}

// Each failure has its own text; a throwing object delivers it, with the code, as exception.
TEST(SharedMemoryFailures, TextsAndCodesReachTheCallerOrTheException)
{
    std::string big(2000, 'B');
    struct Case { const unsigned char* data; unsigned long n; const char* text; long code; } cases[] = {
        {nullptr, 5, " : Error NULL Pointer!:-o", 0},
        {bytes("x"), 0, " : Error NULL Pointer!:-/", 0},
        {bytes(big.c_str()), 2000,
         " : Memory is Full and not growable ( Required length = 2000 FreeSpace on SharedMemory = 1024 :-p !!!", -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string prefix = "SharedMemory::add(," + std::to_string(c.n) + ") BytesSharedMemory:";
        SharedMemory quiet(false, true), thrower(true, true);
        ASSERT_TRUE(quiet.create(uniqueName("fail").c_str(), 1024));
        ASSERT_TRUE(thrower.create(uniqueName("throw").c_str(), 1024));
        EXPECT_FALSE(quiet.add(c.data, c.n));
        std::string text = quiet.getError();
        EXPECT_EQ(0u, text.find(prefix)) << text;
        EXPECT_TRUE(endsWith(text, c.text)) << text;
        if (c.code) {
            EXPECT_EQ(static_cast<unsigned long>(c.code), quiet.getRetval());
        }
        try {
            thrower.add(c.data, c.n);
            ADD_FAILURE() << "no exception";
        } catch (const zvcrypt::zvCryptException& e) {
            EXPECT_EQ(0u, std::string(e.what()).find(prefix)) << e.what();
            EXPECT_TRUE(endsWith(e.what(), c.text)) << e.what();
            if (c.code) {
                EXPECT_EQ(static_cast<unsigned long>(c.code), e.getCode());
            }
        }
        EXPECT_STREQ("No Error", thrower.getError()) << "a thrown failure is not recorded";
        EXPECT_EQ(0u, quiet.getLength());
    }
}
