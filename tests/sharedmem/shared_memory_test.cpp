// Named segments: layout of the header, a second process continuing the data, the full
// segment, and both ways of reporting a failure.
#include <gtest/gtest.h>
#include <windows.h>
#include <zvcrypt/SharedMemory.h>
#include <zvcrypt/zvCryptException.h>
#include <cstring>
#include <string>
#include "test_util.h"

using zvcrypt::SharedMemory;
using zvcrypt::SharedMemoryHeader;

namespace {

const unsigned char* bytes(const char* s)
{
    return reinterpret_cast<const unsigned char*>(s);
}

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

TEST(SharedMemorySegment, NewSegmentCarriesHeaderAndDataStartsBehindIt)
{
    std::string name = uniqueName("hdr");
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(name.c_str(), 100));
    EXPECT_TRUE(shm.isAttached());
    // 100 is raised to the smallest segment, then the header is added.
    EXPECT_EQ(1068u, shm.getSize());
    EXPECT_EQ(0u, shm.getLength());
    EXPECT_EQ(44u, shm.getPosition());

    const unsigned char* view = shm.getData();
    SharedMemoryHeader h;
    memcpy(&h, view, sizeof h);
    EXPECT_EQ(0, h.usMarker);
    EXPECT_EQ(666u, h.ulMagic);
    EXPECT_EQ(44u, h.ulHeaderSize);
    EXPECT_EQ(0u, h.ulUsedLength);
    EXPECT_EQ(1068u, h.ulTotalSize);
    EXPECT_EQ(GetCurrentProcessId(), h.ulProcessId);
    EXPECT_EQ(0xFFFFFFFFu, h.ulUnassigned1);
    EXPECT_EQ(0xFFFFFFFFu, h.ulUnassigned2);
    EXPECT_EQ(0xFFFFFFFFu, h.ulUnassigned3);
    EXPECT_EQ(0xFFFFFFFFu, h.ulUnassigned4);

    ASSERT_TRUE(shm.add(bytes("0123456789"), 10));
    EXPECT_EQ(0, memcmp(view + 44, "0123456789", 10));
    EXPECT_EQ(0, view[54]);
    memcpy(&h, view, sizeof h);
    EXPECT_EQ(10u, h.ulUsedLength);
    EXPECT_EQ(10u, shm.getLength());
}

TEST(SharedMemorySegment, WithoutHeaderDataStartsAtTheView)
{
    SharedMemory shm(false, false);
    ASSERT_TRUE(shm.create(uniqueName("nohdr").c_str(), 2000));
    EXPECT_EQ(2000u, shm.getSize());
    EXPECT_EQ(0u, shm.getPosition());
    ASSERT_TRUE(shm.add(bytes("abc"), 3));
    EXPECT_EQ(0, memcmp(shm.getData(), "abc", 3));
    EXPECT_EQ(3u, shm.getLength());
}

TEST(SharedMemorySegment, SecondProcessSeesTheDataAndContinuesBehindIt)
{
    std::string name = uniqueName("xproc");
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(name.c_str(), 4096));
    ASSERT_TRUE(shm.add(bytes("from parent;"), 12));

    // The child checks it sees exactly these 12 bytes behind the header, then appends.
    ASSERT_EQ(0, runProcess("\"" + programDir() + "\\shm_child.exe\" " + name + " " +
                            std::to_string(4096 + 44) + " \"from parent;\" \"and child\""));

    // The child appended right behind the parent's data and recorded the new length.
    const unsigned char* view = shm.getData();
    EXPECT_EQ(0, memcmp(view + 44, "from parent;and child", 21));
    SharedMemoryHeader h;
    memcpy(&h, view, sizeof h);
    EXPECT_EQ(21u, h.ulUsedLength);
    // This object keeps its own position: it knows nothing of the child's write.
    EXPECT_EQ(12u, shm.getLength());

    // A later attach by this process continues after the child's data.
    SharedMemory again(false, true);
    ASSERT_TRUE(again.open(name.c_str(), 4096 + 44));
    EXPECT_EQ(21u, again.getLength());
    EXPECT_EQ(65u, again.getPosition());
}

TEST(SharedMemorySegment, ChildReportsWhenTheSegmentDoesNotExist)
{
    EXPECT_EQ(2, runProcess("\"" + programDir() + "\\shm_child.exe\" " + uniqueName("missing") + " 1068 x y"));
}

TEST(SharedMemorySegment, InvalidOrOversizedHeaderIsIgnoredOnOpen)
{
    std::string name = uniqueName("badhdr");
    SharedMemory maker(false, true);
    ASSERT_TRUE(maker.create(name.c_str(), 1024));
    ASSERT_TRUE(maker.add(bytes("payload"), 7));
    SharedMemoryHeader* h = reinterpret_cast<SharedMemoryHeader*>(const_cast<unsigned char*>(maker.getData()));

    // Used length beyond the capacity: ignored, the opener starts at the view's start.
    h->ulUsedLength = 5000;
    {
        SharedMemory opener(false, true);
        ASSERT_TRUE(opener.open(name.c_str(), 1068));
        EXPECT_EQ(nullptr, opener.getHeader());
        EXPECT_EQ(0u, opener.getLength());
        EXPECT_EQ(0u, opener.getPosition());
    }

    // Wrong magic: ignored as well; a later add writes at the view's start and does not
    // touch the (invalid) used length.
    h->ulUsedLength = 7;
    h->ulMagic = 667;
    SharedMemory opener(false, true);
    ASSERT_TRUE(opener.open(name.c_str(), 1068));
    EXPECT_EQ(nullptr, opener.getHeader());
    EXPECT_EQ(0u, opener.getPosition());
    ASSERT_TRUE(opener.add(bytes("XY"), 2));
    EXPECT_EQ(0, memcmp(maker.getData(), "XY", 2));
    EXPECT_EQ(2u, opener.getLength());
}

TEST(SharedMemorySegment, FullSegmentZeroesItsFreeBytesAndKeepsThePosition)
{
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(uniqueName("full").c_str(), 1024));
    std::string big(1020, 'A');
    ASSERT_TRUE(shm.add(bytes(big.c_str()), 1020));
    // Dirty the 4 free bytes so the zeroing is visible.
    unsigned char* view = const_cast<unsigned char*>(shm.getData());
    memset(view + 1064, 'Z', 4);

    EXPECT_FALSE(shm.add(bytes("0123456789"), 10));
    EXPECT_EQ(static_cast<unsigned long>(-4), shm.getRetval());
    EXPECT_EQ(1020u, shm.getLength());
    EXPECT_EQ(1064u, shm.getPosition());
    EXPECT_EQ(0, view[1064]);
    EXPECT_EQ(0, view[1067]);
    EXPECT_EQ('A', view[1063]);
    std::string error = shm.getError();
    EXPECT_TRUE(startsWith(error, "SharedMemory::add(,10) BytesSharedMemory:")) << error;
    EXPECT_TRUE(endsWith(error, " : Memory is Full and not growable ( Required length = 10 "
                                "FreeSpace on SharedMemory = 4 :-p !!!"))
        << error;

    // What still fits is taken.
    EXPECT_TRUE(shm.add(bytes("1234"), 4));
    EXPECT_EQ(1024u, shm.getLength());
}

TEST(SharedMemoryFailures, NullDataAndZeroLengthHaveDistinctTexts)
{
    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.create(uniqueName("null").c_str(), 1024));
    EXPECT_STREQ("No Error", SharedMemory(false, true).getError());

    EXPECT_FALSE(shm.add(nullptr, 5));
    std::string nullText = shm.getError();
    EXPECT_TRUE(startsWith(nullText, "SharedMemory::add(,5) BytesSharedMemory:")) << nullText;
    EXPECT_TRUE(endsWith(nullText, " : Error NULL Pointer!:-o")) << nullText;

    EXPECT_FALSE(shm.add(bytes("x"), 0));
    std::string zeroText = shm.getError();
    EXPECT_TRUE(startsWith(zeroText, "SharedMemory::add(,0) BytesSharedMemory:")) << zeroText;
    EXPECT_TRUE(endsWith(zeroText, " : Error NULL Pointer!:-/")) << zeroText;
    EXPECT_EQ(0u, shm.getLength());
}

TEST(SharedMemoryFailures, CreateOfAnExistingNameAndOpenOfAMissingOneAreReported)
{
    std::string name = uniqueName("dup");
    SharedMemory first(false, true);
    ASSERT_TRUE(first.create(name.c_str(), 1024));
    SharedMemory second(false, true);
    EXPECT_FALSE(second.create(name.c_str(), 1024));
    EXPECT_FALSE(second.isAttached());
    EXPECT_EQ(static_cast<unsigned long>(ERROR_ALREADY_EXISTS), second.getRetval());
    std::string text = second.getError();
    EXPECT_TRUE(startsWith(text, "SharedMemory::create(" + name + ", 1024)SharedMemory:")) << text;
    EXPECT_NE(std::string::npos, text.find(" : CreateFileMapping failed : Error ")) << text;

    SharedMemory third(false, true);
    std::string missing = uniqueName("nosuch");
    EXPECT_FALSE(third.open(missing.c_str(), 1068));
    EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), third.getRetval());
    text = third.getError();
    EXPECT_TRUE(startsWith(text, "SharedMemory::open(" + missing + ", 1068)SharedMemory:")) << text;
    EXPECT_NE(std::string::npos, text.find(" : OpenFileMapping failed : Error ")) << text;
}

TEST(SharedMemoryFailures, ThrowingObjectDeliversTheSameFailuresAsExceptions)
{
    SharedMemory shm(true, true);
    EXPECT_TRUE(shm.throwsExceptions());
    ASSERT_TRUE(shm.create(uniqueName("throw").c_str(), 1024));

    try {
        shm.add(nullptr, 3);
        FAIL() << "no exception";
    } catch (const zvcrypt::zvCryptException& e) {
        std::string what = e.what();
        EXPECT_TRUE(startsWith(what, "SharedMemory::add(,3) BytesSharedMemory:")) << what;
        EXPECT_TRUE(endsWith(what, " : Error NULL Pointer!:-o")) << what;
    }
    try {
        shm.add(bytes("x"), 0);
        FAIL() << "no exception";
    } catch (const zvcrypt::zvCryptException& e) {
        EXPECT_TRUE(endsWith(e.what(), " : Error NULL Pointer!:-/")) << e.what();
    }

    std::string big(2000, 'B');
    try {
        shm.add(bytes(big.c_str()), 2000);
        FAIL() << "no exception";
    } catch (const zvcrypt::zvCryptException& e) {
        EXPECT_EQ(static_cast<unsigned long>(-4), e.getCode());
        EXPECT_TRUE(endsWith(e.what(), "Required length = 2000 FreeSpace on SharedMemory = 1024 :-p !!!"))
            << e.what();
    }
    // The thrown failure is not recorded in the object.
    EXPECT_STREQ("No Error", shm.getError());
    EXPECT_EQ(0u, shm.getLength());

    SharedMemory opener(true, true);
    try {
        opener.open(uniqueName("nosuch").c_str(), 1068);
        FAIL() << "no exception";
    } catch (const zvcrypt::zvCryptException& e) {
        EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), e.getCode());
        EXPECT_NE(nullptr, strstr(e.what(), "OpenFileMapping failed : Error "));
    }
    EXPECT_FALSE(opener.isAttached());
}

TEST(SharedMemoryLifecycle, CloseTwiceAndRemoveZeroesTheUsedBytes)
{
    std::string name = uniqueName("rm");
    SharedMemory keeper(false, true);
    ASSERT_TRUE(keeper.create(name.c_str(), 1024));
    ASSERT_TRUE(keeper.add(bytes("secret data"), 11));

    SharedMemory shm(false, true);
    ASSERT_TRUE(shm.open(name.c_str(), 1068));
    EXPECT_EQ(11u, shm.getLength());
    EXPECT_TRUE(shm.close());
    EXPECT_FALSE(shm.isAttached());
    EXPECT_TRUE(shm.close());
    // Capacity stays after close.
    EXPECT_EQ(1068u, shm.getSize());

    SharedMemory remover(false, true);
    ASSERT_TRUE(remover.open(name.c_str(), 1068));
    ASSERT_TRUE(remover.remove());
    EXPECT_FALSE(remover.isAttached());
    // The first 11 bytes of the view (the used length) are zero now.
    const unsigned char* view = keeper.getData();
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(0, view[i]) << i;
    EXPECT_EQ('a', view[44 + 10]);
}
