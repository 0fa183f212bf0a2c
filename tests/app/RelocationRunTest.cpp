// The instance on the token relocates: what it copies, in which order, what it starts and
// what it tells the user, against a host that records every call.
#include "FakeRemovalHost.h"
#include "PackageFiles.h"
#include <gtest/gtest.h>

namespace {

// The journal of copying the package from `from` to "C:\T" with nothing missing.
Journal PackageCopied(const std::string& from)
{
    Journal lines = {"copy-program " + from + "\\Vacater.exe -> C:\\T\\Vacater.exe"};
    for (const char* name : PACKAGE_FILES) {
        std::string a = from + "\\" + name, b = std::string("C:\\T\\") + name;
        lines.push_back("copy " + a + " -> " + b);
        lines.push_back("trace copied " + a + " -> " + b);
        lines.push_back("clear-read-only " + b);
    }
    lines.push_back("cd C:\\T");
    return lines;
}

Journal Join(Journal a, const Journal& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(Relocation, CopiesThePackageInOrderAndStartsTheCopyShownInTemp)
{
    const std::string line = "C:\\T\\Vacater.exe /DriveLetter=V /CleanUpOnly=7 /RmAbsDir=\"E:\\x y\" /VKDriveLetter=Q:";
    const Journal started = {"trace calling " + line + " in C:\\T", "start " + line + " in C:\\T, shown"};
    const Journal copied = PackageCopied("V:\\pkg");
    Journal withoutIni = copied;   // a package without its ini: silent, the rest goes on
    withoutIni.erase(withoutIni.begin() + 4, withoutIni.begin() + 7);
    withoutIni.insert(withoutIni.begin() + 4, "copy V:\\pkg\\application.ini -> C:\\T\\application.ini");
    Journal readOnly = copied;     // a copy that stays read-only is traced, the rest goes on
    readOnly.insert(readOnly.begin() + 4, "trace read-only C:\\T\\ZevDevDll.dll 5");

    const struct {
        const char* name;
        std::deque<int> counts;
        const char* missing;
        const char* readOnly;
        unsigned long startError;
        RelocationResult result;
        Journal journal;
    } cases[] = {
        {"alone", {1}, "", "", 0, RELOCATION_STARTED, Join(Join({"count Vacater.exe = 1"}, copied), started)},
        {"two others ran, one ended", {3, 2}, "", "", 0, RELOCATION_STARTED,
         Join(Join({"count Vacater.exe = 3", "wait 1000", "count Vacater.exe = 2"}, copied), started)},
        {"two others still run", {3, 3}, "", "", 0, RELOCATION_TOO_MANY,
         {"count Vacater.exe = 3", "wait 1000", "count Vacater.exe = 3"}},
        {"no ini", {1}, "V:\\pkg\\application.ini", "", 0, RELOCATION_STARTED,
         Join(Join({"count Vacater.exe = 1"}, withoutIni), started)},
        {"read-only copy", {2}, "", "C:\\T\\ZevDevDll.dll", 0, RELOCATION_STARTED,
         Join(Join({"count Vacater.exe = 2"}, readOnly), started)},
        {"refused start", {1}, "", "", 2, RELOCATION_NOT_STARTED,
         Join(Join(Join({"count Vacater.exe = 1"}, copied), started), {"box Error: Vacater-Tool could not be started"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRemovalHost host;
        host.counts = c.counts;
        if (*c.missing) host.missing.insert(c.missing);
        if (*c.readOnly) host.readOnlyStays.insert(c.readOnly);
        host.startError = c.startError;
        RecordedRelocationTrace trace(host.journal);
        RelocationRequest request;
        request.tempDir = "C:\\T";
        request.currentPath = "V:\\pkg";
        request.cleanUpOnly = 7;
        request.rmAbsDir = "E:\\x y";
        request.vkDriveLetter = "Q:";
        EXPECT_EQ(c.result, RelocateAndRestart(host, request, trace));
        EXPECT_EQ(c.journal, host.journal);
        for (const ProcessStart& start : host.starts) {
            EXPECT_EQ(nullptr, start.applicationName);
            EXPECT_EQ(0ul, start.creationFlags);
        }
    }
}

TEST(Relocation, LeavesOffAFolderTheLineCannotCarryAndTracesItBeforeTheStart)
{
    FakeRemovalHost host;
    RecordedRelocationTrace trace(host.journal);
    RelocationRequest request;
    request.tempDir = "C:\\T";
    request.currentPath = "E:";   // the package in a drive's root
    request.rmDir = "old pkg";
    EXPECT_EQ(RELOCATION_STARTED, RelocateAndRestart(host, request, trace));
    const std::string line = "C:\\T\\Vacater.exe /DriveLetter=E /CleanUpOnly=0 /VKDriveLetter=";
    Journal tail(host.journal.end() - 3, host.journal.end());
    EXPECT_EQ(Journal({"trace left out /RmDir [old pkg] holds a blank, which ends the unquoted \"/RmDir\" value on "
                       "the restart command line",
                       "trace calling " + line + " in C:\\T", "start " + line + " in C:\\T, shown"}),
              tail);
    EXPECT_EQ("copy-program E:\\Vacater.exe -> C:\\T\\Vacater.exe", host.journal[1]);
}

TEST(InstanceThatStays, SetsHomeOnlyWhenItIsMissing)
{
    FakeRemovalHost host;
    PrepareRunHere(host, "C:\\my temp");
    EXPECT_EQ(Journal({"putenv HOME=C:\\my temp"}), host.journal);
    host.journal.clear();
    host.env["HOME"] = "C:\\home";
    PrepareRunHere(host, "C:\\T");
    EXPECT_TRUE(host.journal.empty());
    EXPECT_EQ("C:\\home", host.env["HOME"]);
}
