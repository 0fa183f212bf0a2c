// The clean-up of the instance that ran the removal: which folders its batch may remove,
// the bytes it writes, how it starts the batch and what each failure traces, against a
// host that records every call.
#include "FakeRemovalHost.h"
#include "Occurrences.h"
#include "XParamList.h"
#include <gtest/gtest.h>

namespace {

FakeRemovalHost BobsHost()
{
    FakeRemovalHost host;
    host.folders.folders = {{"C:\\users\\bob", "a user profile"}, {"C:\\T", "the temporary directory"}};
    return host;
}

const Journal WRITE = {"write C:\\T\\remove.bat"};

} // namespace

TEST(CleanUp, WritesTheBatchOnceAndStartsItHiddenOrTracesWhyNot)
{
    const Journal planned = {"trace running", "trace planned C:\\T\\remove.bat", "write C:\\T\\remove.bat"};
    const Journal started = {"trace created", "trace written", "trace starting in C:\\T",
                             "putenv NoDefaultCurrentDirectoryInExePath=1",
                             "start C:\\T\\remove.bat in C:\\T, hidden, inheriting", "trace started"};
    auto join = [](Journal a, const Journal& b) { a.insert(a.end(), b.begin(), b.end()); return a; };
    const struct {
        const char* name;
        long removeOnly;
        const char *application, *rmDir, *rmAbsDir;
        FileWriteResult write;
        unsigned long startError;
        CleanUpResult result;
        Journal journal;
        unsigned rmdirLines;   // in the written batch
        bool noFolder;         // the batch is the one written without folder values
    } cases[] = {
        {"remove only", 2, "", "oldpkg", "", FILE_WRITTEN, 0, CLEANUP_REMOVE_ONLY, {"trace remove only 2"}, 0, false},
        {"both folders", 0, "", "oldpkg", "E:\\cache", FILE_WRITTEN, 0, CLEANUP_STARTED, join(planned, started), 4, false},
        {"a value with a blank", 0, "", "", "E:\\x y", FILE_WRITTEN, 0, CLEANUP_STARTED,
         join(join({"trace running", "trace refused /RmAbsDir [E:\\x y] "}, Journal(planned.begin() + 1, planned.end())), started), 0, true},
        {"a profile", 0, "", "", "C:\\USERS\\BOB", FILE_WRITTEN, 0, CLEANUP_STARTED,
         join(join({"trace running", "trace refused /RmAbsDir [C:\\USERS\\BOB] "},
                   Journal(planned.begin() + 1, planned.end())), started), 0, true},
        {"not created", 0, "", "", "", FILE_NOT_CREATED, 0, CLEANUP_NOT_WRITTEN, join(planned, {"trace not created"}), 0, false},
        {"not written", 0, "", "", "", FILE_NOT_WRITTEN, 0, CLEANUP_NOT_WRITTEN,
         join(planned, {"trace created", "trace not written"}), 0, false},
        {"not started", 0, "", "", "", FILE_WRITTEN, 5, CLEANUP_NOT_STARTED,
         join(join(planned, Journal(started.begin(), started.end() - 1)), {"trace not started"}), 0, false},
        {"launcher", 0, "AppDeck", "", "", FILE_WRITTEN, 0, CLEANUP_STARTED,
         join(planned, {"trace created", "trace written", "trace starting in C:\\T\\AppDeck",
                        "putenv NoDefaultCurrentDirectoryInExePath=1",
                        "start C:\\T\\remove.bat in C:\\T\\AppDeck, hidden, inheriting", "trace started"}), 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRemovalHost host = BobsHost();
        host.writeResult = c.write;
        host.startError = c.startError;
        RecordedCleanUpTrace trace(host.journal);
        CleanUpRequest request;
        request.removeOnly = c.removeOnly;
        request.application = c.application;
        request.currentPath = "C:\\T";
        request.rmDir = c.rmDir;
        request.rmAbsDir = c.rmAbsDir;
        EXPECT_EQ(c.result, RunCleanUp(host, request, trace));
        // A refusal's reason is the check's own table: compare the line up to the value.
        Journal journal = host.journal;
        for (std::string& line : journal)
            if (line.compare(0, 14, "trace refused ") == 0) line = line.substr(0, line.find("] ") + 2);
        EXPECT_EQ(c.journal, journal);
        if (c.write == FILE_WRITTEN && c.removeOnly == 0) {
            const std::string& bytes = host.written["C:\\T\\remove.bat"];
            CleanUpBatch batch = BuildCleanUpBatch(c.application, "C:\\T", "C:\\T", "", "", host.batch);
            if (c.noFolder) { EXPECT_EQ(batch.oemText.str(), bytes) << "the batch removes no folder"; }
            EXPECT_EQ(c.rmdirLines, Occurrences(bytes, "rmdir /S /Q ")) << bytes;
            EXPECT_EQ(nullptr, host.starts.at(0).applicationName);
        } else {
            EXPECT_TRUE(host.written.empty());
        }
    }
}

// Where cmd has an AutoRun command, the batch goes through the system folder's cmd with "/d",
// which skips it; where none is set, it starts as always. Where Windows Terminal stands in
// for the console, without a console window.
TEST(CleanUp, StartsTheBatchWithoutCmdsAutoRunWhereOneIsSet)
{
    const struct {
        std::vector<CString> autoRun;
        const char* temp;
        const char* start;
        bool terminal = false;   // Windows Terminal is the default terminal
    } cases[] = {
        {{}, "C:\\T", "start C:\\T\\remove.bat in C:\\T, hidden, inheriting"},
        {{"HKCU"}, "C:\\T",
         "start cmd.exe /d /c \"C:\\T\\remove.bat\" in C:\\T, hidden, inheriting, program C:\\Windows\\system32\\cmd.exe"},
        {{"HKLM (32-bit view)"}, "C:\\my temp",
         "start cmd.exe /d /c \"\"C:\\my temp\\remove.bat\"\" in C:\\my temp, hidden, "
         "inheriting, program C:\\Windows\\system32\\cmd.exe"},
        {{}, "C:\\T", "start C:\\T\\remove.bat in C:\\T, hidden, inheriting, no window", true},
        {{"HKCU"}, "C:\\T",
         "start cmd.exe /d /c \"C:\\T\\remove.bat\" in C:\\T, hidden, inheriting, no window, "
         "program C:\\Windows\\system32\\cmd.exe",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        FakeRemovalHost host = BobsHost();
        host.temp = c.temp;
        host.autoRun = c.autoRun;
        host.terminalDelegated = c.terminal;
        RecordedCleanUpTrace trace(host.journal);
        CleanUpRequest request;
        request.currentPath = "V:\\pkg";
        EXPECT_EQ(CLEANUP_STARTED, RunCleanUp(host, request, trace));
        ASSERT_GE(host.journal.size(), 3u);
        EXPECT_EQ("putenv NoDefaultCurrentDirectoryInExePath=1", host.journal[host.journal.size() - 3]);
        EXPECT_EQ(c.start, host.journal[host.journal.size() - 2]);
    }
}

// The way a folder value goes: the instance on the token plans the restart line, the copy
// reads it with its tokenizer, and the copy's clean-up checks what it read.
TEST(CleanUp, TheCopyRemovesOnlyAFolderItReceivedUnchangedAndItsCheckAccepts)
{
    const struct {
        const char *rmDir, *rmAbsDir;
        const char* received;   // "/RmDir" or "/RmAbsDir" value in the copy; "" for none
        bool refused;           // by the copy's check
        unsigned rmdirLines;
    } cases[] = {
        {"", "E:\\x y", "E:\\x y", true, 0},
        {"", "E:\\cache", "E:\\cache", false, 3},
        {"oldpkg", "", "oldpkg", false, 1},
        {"old pkg", "", "", false, 0},                 // left off the line: the copy never sees it
        {"", "C:\\x\\a\"b", "", false, 0},
        {"", "C:\\users\\bob\\..", "C:\\users\\bob\\..", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rmDir) + c.rmAbsDir);
        RestartOptions options = {"C:\\T", 'E', 0, c.rmDir, c.rmAbsDir, "Q:"};
        RestartPlan plan = PlanRestart(options);
        CleanUpRequest copy;
        copy.currentPath = "C:\\T";
        XParamList params;
        params.SetCommandLine(plan.commandLine);
        ASSERT_TRUE(params.Parse());
        for (int i = 0; i < params.GetCount(); ++i) {
            if (std::string(params.GetKey(i)) == "/RmDir") copy.rmDir = params.GetValue(i);
            if (std::string(params.GetKey(i)) == "/RmAbsDir") copy.rmAbsDir = params.GetValue(i);
        }
        EXPECT_EQ(c.received, (copy.rmAbsDir.IsEmpty() ? copy.rmDir : copy.rmAbsDir).str());
        FakeRemovalHost host = BobsHost();
        RecordedCleanUpTrace trace(host.journal);
        EXPECT_EQ(CLEANUP_STARTED, RunCleanUp(host, copy, trace));
        std::string refusal = std::string("trace refused ") + (*c.rmAbsDir ? "/RmAbsDir [" : "/RmDir [") + c.received + "] ";
        EXPECT_EQ(c.refused ? 1u : 0u, Occurrences(host.journal[1], refusal)) << host.journal[1];
        EXPECT_EQ(c.rmdirLines, Occurrences(host.written["C:\\T\\remove.bat"], "rmdir /S /Q "));
    }
}
