// Library sources that log hold their own logger guard: a program that uses only the file
// back-end and the exception, with logging on in the registry, writes their lines to its
// log, framed as every log is.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "ChildProcess.h"
#include "RegistryKey.h"
#include "FileBytes.h"
#include "Occurrences.h"
#include "TempDir.h"

namespace {

// The environment variable that names the logger's settings key, for the children of one test.
struct LogConf {
    explicit LogConf(const char* key) { SetEnvironmentVariableA("ZVCRYPT_LOG_CONF", key); }
    ~LogConf() { SetEnvironmentVariableA("ZVCRYPT_LOG_CONF", nullptr); }
};

}  // namespace

TEST(LoggingSource, AProgramUsingOnlyTheFileAndTheExceptionWritesTheirLinesToItsLog)
{
    TempDir dir("guard");
    RegistryKey key("Software\\Zevtron Systems\\SourceGuardTest");
    ASSERT_TRUE(key.ok());
    key.dword(L"LogLevel", 0x89000000);  // trace, error and the exception's bit 31
    key.dword(L"PrintOut", 0);
    const std::string log = dir.path("user.log");
    key.text(L"LogPath", std::wstring(log.begin(), log.end()));
    LogConf conf(key.path());

    ChildResult child = runSibling("file_user.exe", "\"" + dir.dir() + "\"");
    ASSERT_EQ(0u, child.exitCode) << child.err;
    EXPECT_EQ("abc", ReadBytes(dir.path("data.txt")));

    const std::string data = ReadBytes(log);
    const char preamble[] = "\0\0createlog();\r\nioFileType(\"class zvcrypt::zvFile\");\r\n";
    EXPECT_EQ(0u, data.find(std::string(preamble, sizeof preamble - 1))) << data.substr(0, 80);
    EXPECT_EQ(1u, Occurrences(data, "zvFile.cpp("));
    const size_t seek = data.find("): :-[can't seek on closed file\r\n\t\t******* [infoThread=");
    ASSERT_NE(std::string::npos, seek);
    EXPECT_EQ(data.find("\t\t******* [OS Error=(", seek), data.find("\t\t******* [OS Error=("));
    // Every exception object the throw made is traced when made and when gone.
    const size_t made = Occurrences(data, "zvCryptException(  28): no such segment ***zvCryptException()\r\n");
    EXPECT_GE(made, 1u);
    EXPECT_EQ(made, Occurrences(data, "zvCryptException(  43): no such segment ***~zvCryptException()\r\n"));
    EXPECT_EQ(data.size() - 4, data.rfind("};\r\n")) << "closing block last";
}
