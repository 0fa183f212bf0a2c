// The 32-bit support programs beside the 64-bit ones: zevdev.exe on Wine's device tree,
// the support report, and the ring log file, whose header and mapping both widths share.
#include "ChildProcess.h"
#include "FileBytes.h"
#include "Occurrences.h"
#include "RegisteredDevice.h"
#include "RegistryKey.h"
#include "TempDir.h"
#include "X86Programs.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <regex>

using namespace x86test;

namespace {

TEST(X86SupportCommand, ListsAndEjectsWithItsExitCodes)
{
    SKIP_WITHOUT_X86();
    RegisteredDevice token{"VID_3E7A&PID_4107", "ZVX86002", {L"USB\\VID_3E7A&PID_4107&REV_0100", L"USB\\VID_3E7A&PID_4107"},
                           L"Vaultik"};
    RegisteredDevice classic{"VID_3E7A&PID_4001", "ZVX86003", {L"USB\\VID_3E7A&PID_4001"}, L"Vaultik Classic"};
    ASSERT_TRUE(token.ok() && classic.ok());
    const std::string zevdev = X86Program("zevdev.exe");

    ChildResult list = runProgram(zevdev, "list \"usb\\vid_3e7a&pid_41*\"");
    EXPECT_EQ(0u, list.exitCode);
    EXPECT_EQ("USB\\VID_3E7A&PID_4107\\ZVX86002\r\n"
              "    hardware id: USB\\VID_3E7A&PID_4107&REV_0100\r\n"
              "    hardware id: USB\\VID_3E7A&PID_4107\r\n"
              "    description: Vaultik\r\n"
              "1 device(s)\r\n",
              list.out);
    ChildResult eject = runProgram(zevdev, "eject usb\\vid_3e7a&pid_40*");
    EXPECT_EQ(0u, eject.exitCode) << eject.out << eject.err;
    EXPECT_EQ(0u, eject.out.find("1 device(s) found\r\ndevice 0: USB\\VID_3E7A&PID_4001\\ZVX86003 EJECTED\r\n"))
        << eject.out;
    EXPECT_EQ(1u, runProgram(zevdev, "eject \"usb\\vid_3e7c*\"").exitCode) << "nothing matched";
    ChildResult usage = runProgram(zevdev, "eject");
    EXPECT_EQ(3u, usage.exitCode);
    EXPECT_NE(std::string::npos, usage.err.find("usage: zevdev")) << usage.err;
}

// The settings key of each view with a level of its own: the report shows both views, each
// with its own value, says that it is a WOW64 program, and lists the registered token.
TEST(X86SupportReport, ShowsBothViewsAndSaysItRunsUnderWow64)
{
    SKIP_WITHOUT_X86();
    const char* key = "Software\\Zevtron Systems\\Zevtron Vaultik\\tresoria";
    RegistryKey native(key, RegistryKey::SHARED_KEY, KEY_WOW64_64KEY);
    RegistryKey wow(key, RegistryKey::SHARED_KEY, KEY_WOW64_32KEY);
    RegisteredDevice token{"VID_3E7A&PID_4107", "ZVX86004", {L"USB\\VID_3E7A&PID_4107"}, L"Vaultik"};
    ASSERT_TRUE(native.dword("LogLevel", 0x01000000) && wow.dword("LogLevel", 0x09000000) && token.ok());

    ChildResult run = runProgram(X86Program("vacater-report.exe"));
    ASSERT_EQ(0u, run.exitCode) << run.err;
    const std::string& page = run.out;
    std::string head = std::string("HKLM\\") + key;
    for (const std::string& text : {
             std::string("32-bit report program (WOW64: reads the WOW6432Node view)\r\n"),
             head + "  [64-bit programs' view]\r\n  LogLevel = 0x01000000 (16777216)\r\n",
             head + "  [32-bit programs' view (WOW6432Node)]\r\n  LogLevel = 0x09000000 (150994944)\r\n",
             std::string("  instance_id=USB\\VID_3E7A&PID_4107\\ZVX86004\r\n"),
         })
        EXPECT_EQ(1u, Occurrences(page, text)) << text << "\n" << page;
}

// ring_logger's lines "<tag> line N <pad> end N": the numbers of the whole ones, in order.
// A line cut anywhere but at the ring's wrap fails.
std::vector<int> WholeLines(const std::string& text, const std::string& tag, int* cut)
{
    std::vector<int> numbers;
    std::regex whole(" " + tag + " line (\\d{6}) abcdefghijklmnopqrstuvwxyz0123456789 end \\1\r$");
    std::smatch m;
    *cut = 0;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (line.find(" " + tag + " line ") == std::string::npos) continue;
        if (std::regex_search(line, m, whole)) numbers.push_back(atoi(m[1].str().c_str()));
        else ++*cut;
    }
    return numbers;
}

// A ring file written by a program of one width and printed by zvlog.exe of the other: every
// line left, whole and in order, after the ring wrapped; the trailer's time last.
TEST(X86RingFile, WrittenByOneWidthIsReadByTheOther)
{
    SKIP_WITHOUT_X86();
    struct Case {
        const char* name;
        std::string writer, reader;
        REGSAM view;   // the writer's view of the settings
    } cases[] = {
        {"32-bit writer, 64-bit reader", X86Program("ring_logger.exe"), ProgramDir() + "\\zvlog.exe", KEY_WOW64_32KEY},
        {"64-bit writer, 32-bit reader", ProgramDir() + "\\ring_logger.exe", X86Program("zvlog.exe"), KEY_WOW64_64KEY},
    };
    const int lines = 8000;   // more than the 512 KiB ring holds
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("x86ring");
        std::string key = "Software\\Zevtron Systems\\x86ringtest" + std::to_string(GetCurrentProcessId());
        std::string path = dir.path("x86-ring.log");   // a mapping of its own name
        RegistryKey settings(key, RegistryKey::OWN_KEY, c.view);
        ASSERT_TRUE(settings.dword("LogLevel", 0x01000000) && settings.dword("PrintOut", 0) &&
                    settings.dword("IOFileType", 2) && settings.dword("MaxFileLen", 524288) &&
                    settings.text("LogPath", path));
        ASSERT_EQ(0u, runProgram(c.writer, "\"" + key + "\" w " + std::to_string(lines)).exitCode);
        ASSERT_EQ(44u + 524288u, ReadBytes(path).size()) << "the 44-byte header and the ring of its settings' size";

        ChildResult r = runProgram(c.reader, "\"" + path + "\"");
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ("", r.err);
        int cut = 0;
        std::vector<int> numbers = WholeLines(r.out, "w", &cut);
        ASSERT_GT(numbers.size(), 4000u) << "a whole ring's worth of lines";
        EXPECT_LE(cut, 1) << "only the line at the wrap may be cut";
        EXPECT_EQ(lines - 1, numbers.back());
        for (size_t i = 1; i < numbers.size(); ++i) ASSERT_EQ(numbers[i - 1] + 1, numbers[i]) << "at " << i;
        EXPECT_NE(std::string::npos, r.out.find("};\r\nEOF(lastlogtime=")) << "the trailer closes the print";
    }
}

} // namespace
