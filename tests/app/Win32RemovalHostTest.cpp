// The real host on this machine: the program copy by 4096-byte reads with the boxes it
// shows (caught here instead of shown), the batch file written whole, starts, counts.
#include "FileBytes.h"
#include "TempDir.h"
#include "Win32RemovalHost.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class BoxRecordingHost : public Win32RemovalHost {
public:
    void ShowMessage(const char* text, const char* caption) override
    {
        boxes.push_back(std::string(caption) + ": " + text);
    }
    std::vector<std::string> boxes;
};

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096);
    return bytes;
}

} // namespace

TEST(ProgramCopy, CopiesEveryByteAcrossBufferBoundsAndReplacesTheTarget)
{
    TempDir dir("hostcopy");
    for (size_t size : {0u, 1u, 4095u, 4096u, 8192u, 10000u}) {
        SCOPED_TRACE(size);
        std::string source = dir.path("src" + std::to_string(size)), target = dir.path("Vacater.exe");
        ASSERT_TRUE(WriteBytes(source, Pattern(size)));
        ASSERT_TRUE(WriteBytes(target, std::string(20000, 'x')));   // a longer earlier copy
        BoxRecordingHost host;
        host.CopyProgramFile(source.c_str(), target.c_str());
        EXPECT_EQ(Pattern(size), ReadBytes(target));
        EXPECT_TRUE(host.boxes.empty());
    }
}

TEST(ProgramCopy, ShowsTheBoxOfEachFailureAndGoesOn)
{
    TempDir dir("hostfail");
    ASSERT_TRUE(WriteBytes(dir.path("Vacater.exe"), "MZ"));
    const struct {
        std::string source, target;
        std::vector<std::string> boxes;
        bool sourceCreated;   // open-always: a missing source is created empty
    } cases[] = {
        {dir.path("missing.exe"), dir.path("copy1.exe"), {}, true},
        {dir.path("Vacater.exe"), dir.path("no folder\\Vacater.exe"), {"Error: CreateFile (temp) Error:INVALID_HANDLE_VALUE"}, false},
        {dir.dir(), dir.path("copy2.exe"),
         {"Error: CreateFile (source) Error:INVALID_HANDLE_VALUE", "Error: ReadFile Error"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " -> " + c.target);
        BoxRecordingHost host;
        host.CopyProgramFile(c.source.c_str(), c.target.c_str());
        EXPECT_EQ(c.boxes, host.boxes);
        if (c.sourceCreated) {
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(c.source.c_str()));
            EXPECT_EQ("", ReadBytes(c.target));
        }
    }
    EXPECT_EQ(std::string(ReadErrorText(ERROR_HANDLE_EOF)), "ReadFile Error:ERROR_HANDLE_EOF");
    EXPECT_EQ(std::string(ReadErrorText(ERROR_INVALID_PARAMETER)), "ReadFile Error:ERROR_INVALID_PARAMETER");
    EXPECT_EQ(std::string(ReadErrorText(ERROR_IO_PENDING)), "ReadFile Error:ERROR_IO_PENDING");
}

TEST(RemovalHostFiles, WholeFileWritesReadOnlyCopiesAndStarts)
{
    TempDir dir("hostfiles");
    Win32RemovalHost host;
    std::string batch = dir.path("remove.bat");
    ASSERT_TRUE(WriteBytes(batch, std::string(100, 'x')));
    EXPECT_EQ(FILE_WRITTEN, host.WriteWholeFile(batch.c_str(), CString("@ECHO OFF\r\n")));
    EXPECT_EQ("@ECHO OFF\r\n", ReadBytes(batch)) << "replaced, without a terminating zero";
    EXPECT_EQ(FILE_NOT_CREATED, host.WriteWholeFile(dir.path("none\\remove.bat").c_str(), CString("x")));

    std::string readOnly = dir.path("ro.dll"), copy = dir.path("copy.dll");
    ASSERT_TRUE(WriteBytes(readOnly, "dll"));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(host.CopyPackageFile(readOnly.c_str(), copy.c_str()));
    EXPECT_TRUE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY) << "the copy keeps the attribute";
    unsigned long error = 99;
    EXPECT_TRUE(host.ClearReadOnly(copy.c_str(), &error));
    EXPECT_EQ(0ul, error);
    EXPECT_FALSE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(host.RemoveFile(copy.c_str(), &error));
    EXPECT_FALSE(host.ClearReadOnly(copy.c_str(), &error));
    EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_FALSE(host.CopyPackageFile(dir.path("none.dll").c_str(), copy.c_str()));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    ProcessStart start;
    start.commandLine = (dir.path("absent.exe") + " /x").c_str();
    EXPECT_FALSE(host.StartProcess(start, &error));
    EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), error);
}

TEST(RemovalHostProcesses, CountsThisProgramByItsNameInAnyLetterCase)
{
    char path[MAX_PATH] = "";
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, path, MAX_PATH));
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    for (char& ch : name) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    Win32RemovalHost host;
    EXPECT_LE(1, host.CountProcessesByName(name.c_str()));
    EXPECT_EQ(0, host.CountProcessesByName("no-such-program.exe"));
}

TEST(RemovalHostEnvironment, PutValuesReachTheRuntimeAndTheSystem)
{
    Win32RemovalHost host;
    EXPECT_FALSE(host.HasEnvironment("ZV_HOST_TEST_HOME"));
    host.PutEnvironment("ZV_HOST_TEST_HOME", "C:\\a b");
    EXPECT_TRUE(host.HasEnvironment("ZV_HOST_TEST_HOME"));
    char value[64] = "";
    EXPECT_EQ(6u, GetEnvironmentVariableA("ZV_HOST_TEST_HOME", value, sizeof value));
    EXPECT_STREQ("C:\\a b", value);
}
