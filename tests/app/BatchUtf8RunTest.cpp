// A PC with the UTF-8 option (ANSI and OEM code page 65001): run under a locale without an
// ANSI code page of its own (hi_IN.UTF-8), the batch the program writes removes a folder
// with an umlaut, and reads back as it was written.
#include "AppTestSupport.h"
#include "BatchCodePage.h"
#include "CleanUpBatch.h"

using namespace apptest;

TEST(BatchUnderUtf8, RemovesAnUmlautFolder)
{
    ASSERT_EQ(65001u, GetACP()) << "run with LANG=hi_IN.UTF-8 (see tests/app/CMakeLists.txt)";
    ASSERT_EQ(65001u, GetOEMCP());
    wchar_t tempPath[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, tempPath));
    const std::wstring root = std::wstring(tempPath) + L"zv-utf8-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring temp = root + L"\\J\u00fcrgen", folder = root + L"\\x\\\u00dcbung\u4e2d";
    const std::wstring kept = root + L"\\x\\\u00dcbung";   // what a misread could name
    for (const std::wstring& dir : {root, temp, root + L"\\x", kept, folder, folder + L"\\inner"})
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr)) << GetLastError();
    HANDLE file = CreateFileW((folder + L"\\inner\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    // The program's texts are ANSI, here UTF-8.
    CString tempAnsi, folderAnsi, rootAnsi;
    ASSERT_TRUE(WideToCodePage(temp, CP_ACP, &tempAnsi));
    ASSERT_TRUE(WideToCodePage(folder, CP_ACP, &folderAnsi));
    ASSERT_TRUE(WideToCodePage(root, CP_ACP, &rootAnsi));
    CleanUpBatch batch = BuildCleanUpBatch("", tempAnsi, "", "", folderAnsi, SystemBatchHost());
    ASSERT_TRUE(batch.oemOk);
    EXPECT_EQ(batch.text.str(), batch.oemText.str()) << "UTF-8 on both sides";
    EXPECT_TRUE(batch.leftOut.empty());
    ASSERT_TRUE(WriteBytes(std::string(tempAnsi) + "\\remove.bat", batch.oemText.str()));

    ChildStart hidden;
    hidden.workDir = tempAnsi.str();
    hidden.show = SW_HIDE;
    EXPECT_LT(RunChild(batch.startCommand.str(), hidden, 30000), CHILD_HUNG) << "the batch did not start or end";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str())) << "the folder stays";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(kept.c_str())) << "another folder went";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((temp + L"\\remove.bat").c_str())) << "the batch stays";
    RemoveTree(rootAnsi.str());
}
