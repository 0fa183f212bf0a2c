// The folder check on this system, through the prefix's real links: the test set-up makes
// C:\zvlinks\docs a symbolic link to the user's Documents, C:\zvlinks\plain one to a plain
// folder, and Y: a drive letter for the public folder. A value that reaches a protected
// folder through any of them is refused; the plain folder behind a link is not.
#include "BatchFolderCheck.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Env(const char* name)
{
    char buffer[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, buffer, MAX_PATH);
    return n && n < MAX_PATH ? buffer : "";
}

} // namespace

TEST(BatchFolderLinks, AValueThatLeadsToAProtectedFolderIsRefused)
{
    const std::string temp = Env("TEMP"), documents = Env("USERPROFILE") + "\\Documents";
    ASSERT_FALSE(temp.empty());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\zvlinks\\docs")) << "set-up missing";
    BatchFolderContext host = HostBatchFolderContext(temp.c_str(), temp.c_str(), "V:\\pkg");
    const struct {
        std::string value;
        BatchFolderVerdict verdict;
        std::string reason;
    } cases[] = {
        {documents, BATCH_FOLDER_PROTECTED, "is the user's Documents"},
        {"C:\\zvlinks\\docs", BATCH_FOLDER_PROTECTED, "whose final path " + documents + " is the user's Documents"},
        {"C:\\zvlinks\\docs\\sub", BATCH_FOLDER_OK, ""},
        {"C:\\zvlinks\\plain", BATCH_FOLDER_OK, ""},
        {"C:\\zvlinks", BATCH_FOLDER_OK, ""},
        {"Y:\\Documents", BATCH_FOLDER_PROTECTED, "is the public Documents C:\\users\\Public\\Documents"},
        {"Y:\\Documents\\old", BATCH_FOLDER_OK, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        CString reason;
        EXPECT_EQ(c.verdict, CheckBatchFolder(c.value.c_str(), BATCH_FOLDER_ABSOLUTE, host, &reason));
        if (c.reason.empty()) { EXPECT_EQ("", reason.str()); }
        else { EXPECT_NE(std::string::npos, reason.str().find(c.reason)) << reason.str(); }
    }
}

TEST(BatchFolderLinks, TheSystemLocatorFindsTheFolderBehindALink)
{
    SystemFolderLocator locator;
    const std::wstring final = locator.FinalPath(L"C:\\zvlinks\\docs");
    EXPECT_NE(std::wstring::npos, final.find(L"\\Documents")) << std::string(final.begin(), final.end());
    EXPECT_EQ(L"", locator.FinalPath(L"C:\\zvlinks\\missing"));
    EXPECT_FALSE(locator.IsNetworkDrive(L'C'));
}
