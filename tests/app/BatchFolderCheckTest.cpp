// Which "/RmDir" and "/RmAbsDir" values the clean-up batch may remove, and why the others
// are refused: a host with its profile, system and temporary folders on C:.
#include "BatchFolderCheck.h"
#include "TempDir.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

BatchFolderContext Host()
{
    BatchFolderContext host;
    host.workDir = "C:\\users\\bob\\Temp";
    host.folders = {{"C:\\windows", "the Windows folder"},          {"C:\\windows\\system32", "the system folder"},
                    {"C:\\Program Files", "a Program Files folder"}, {"C:\\ProgramData", "ProgramData"},
                    {"C:\\users", "the users' root"},               {"C:\\users\\bob", "a user profile"},
                    {"C:\\users\\Public", "a user profile"},        {"D:\\Profiles\\alice\\", "a user profile"},
                    {"c:\\USERS\\bob\\temp", "the temporary directory"},
                    {"C:\\users\\bob\\Temp\\", "the program's folder"}, {"relative\\ignored", "nothing"},
                    {"C:\\Users\\J\xfcrgen", "a user profile"}};
    host.ansiCodePage = 1252;   // a German Windows
    host.oemCodePage = 850;
    return host;
}

const BatchFolderKind REL = BATCH_FOLDER_RELATIVE, ABS = BATCH_FOLDER_ABSOLUTE;

} // namespace

TEST(BatchFolderCheck, RefusesWhatCmdWouldReadAsMoreThanOneFolderAndWhatHoldsTheSystem)
{
    const struct {
        const char* value;
        BatchFolderKind kind;
        BatchFolderVerdict verdict;
        const char* reason;   // part of the reason
    } cases[] = {
        // Values a careless or hostile launcher passes.
        {"C:\\x\\target b", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "a blank"},
        {"C:\\x\\y & del /Q C:\\x\\file.txt", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "a blank"},
        {"C:\\x\\y&del", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "command separator"},
        {"C:\\x\\50%off", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "expands"},
        {"%TEMP%\\..", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "expands"},
        {"..\\..", REL, BATCH_FOLDER_UNSAFE_COMPONENT, "component .."},
        {"C:\\", ABS, BATCH_FOLDER_PROTECTED, "drive root C:\\"},
        // Characters cmd gives a meaning to, and forms no folder name has.
        {"a\tb", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "tab"},
        {"a\x01" "b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "control character"},
        {"a\x7f", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "control character"},
        {"a,b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "separator"},
        {"a;b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "separator"},
        {"a=b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "separator"},
        {"a|b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "command separator"},
        {"a>b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "redirection"},
        {"a<b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "redirection"},
        {"a^b", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "escape"},
        {"a!b!", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "delayed"},
        {"\"a\"", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "double quote"},
        {"a(b)", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "parenthesis"},
        {"C:\\x\\*", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "wildcard"},
        {"C:\\x?", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "wildcard"},
        {"/S", REL, BATCH_FOLDER_UNSAFE_CHARACTER, "switch"},
        {"C:/users", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "switch"},
        {"C:\\x:stream", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "':' after the drive"},
        {"C:\\x\\.\\y", ABS, BATCH_FOLDER_UNSAFE_COMPONENT, "component ."},
        {"x\\...", REL, BATCH_FOLDER_UNSAFE_COMPONENT, "component ..."},
        {"C:\\PROGRA~1", ABS, BATCH_FOLDER_UNSAFE_COMPONENT, "short name PROGRA~1"},
        // Windows drops a name's final dots: each of these is a protected folder to rmdir.
        {"C:\\users.", ABS, BATCH_FOLDER_UNSAFE_COMPONENT, "component users., whose final dot"},
        {"C:\\users.\\bob", ABS, BATCH_FOLDER_UNSAFE_COMPONENT, "component users."},
        {"\\windows..", REL, BATCH_FOLDER_UNSAFE_COMPONENT, "component windows.."},
        {"\\\\server\\share\\x", ABS, BATCH_FOLDER_UNRESOLVABLE, "network"},
        {"D:x", ABS, BATCH_FOLDER_UNRESOLVABLE, "current folder"},
        {"C:", REL, BATCH_FOLDER_UNRESOLVABLE, "current folder"},
        {"1:\\x", ABS, BATCH_FOLDER_UNRESOLVABLE, "cannot be resolved"},
        // The protected folders themselves, in any spelling, and every folder holding one.
        {"D:\\", ABS, BATCH_FOLDER_PROTECTED, "drive root D:\\"},
        {"\\", REL, BATCH_FOLDER_PROTECTED, "drive root C:\\"},
        {"c:\\WINDOWS\\", ABS, BATCH_FOLDER_PROTECTED, "is the Windows folder C:\\windows"},
        {"C:\\\\windows\\system32", ABS, BATCH_FOLDER_PROTECTED, "the system folder"},
        {"C:\\ProgramData", ABS, BATCH_FOLDER_PROTECTED, "ProgramData"},
        {"users", ABS, BATCH_FOLDER_PROTECTED, "is the users' root C:\\users"},
        {"\\users", REL, BATCH_FOLDER_PROTECTED, "the users' root"},
        {"C:\\users\\Public", ABS, BATCH_FOLDER_PROTECTED, "a user profile"},
        {"C:\\users\\bob", ABS, BATCH_FOLDER_PROTECTED, "a user profile"},
        {"d:\\profiles", ABS, BATCH_FOLDER_PROTECTED, "resolves to D:\\profiles, which holds a user profile"},
        {"C:\\users\\bob\\Temp", ABS, BATCH_FOLDER_PROTECTED, "the temporary directory"},
        {"\\users\\bob\\temp\\", REL, BATCH_FOLDER_PROTECTED, "the temporary directory"},
        // Plain folders go: under the temporary directory, on another drive, on the token.
        {"oldpkg", REL, BATCH_FOLDER_OK, ""},
        {"oldpkg\\sub\\", REL, BATCH_FOLDER_OK, ""},
        {"users", REL, BATCH_FOLDER_OK, ""},
        {"C:\\users\\bob\\Temp\\old", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\users\\bob\\Documents", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\users\\bobby", ABS, BATCH_FOLDER_OK, ""},
        {"temp", ABS, BATCH_FOLDER_OK, ""},
        {"D:\\data\\cache", ABS, BATCH_FOLDER_OK, ""},
        {"V:\\Vaultik\\Cache.1", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\x\\50off~", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\x\\caf\xe9", ABS, BATCH_FOLDER_OK, ""},
        {"", ABS, BATCH_FOLDER_OK, ""},
        // Letters beyond ASCII: judged as cmd reads them (OEM), compared in any letter case.
        {"C:\\x\\\xdc" "bung", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\x\\Stra\xdf" "e", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\USERS\\J\xdcRGEN", ABS, BATCH_FOLDER_PROTECTED, "is a user profile C:\\Users\\J\xfcrgen"},
        {"c:\\users\\j\xfcrgen\\", ABS, BATCH_FOLDER_PROTECTED, "a user profile"},
        {"C:\\Users\\J\xfcrgen\\Documents", ABS, BATCH_FOLDER_OK, ""},
        {"C:\\x\\T\x80", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "OEM"},     // the euro sign
        {"C:\\x\\\x81", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "OEM"},      // undefined in 1252, a letter in 850
        {"C:\\x\\\x9a", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "OEM"},      // no best fit of the letter
        {"C:\\x\\a\xa0" "b", ABS, BATCH_FOLDER_UNSAFE_CHARACTER, "for a blank"},
    };
    BatchFolderContext host = Host();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + (c.kind == REL ? " (/RmDir)" : " (/RmAbsDir)"));
        CString reason = "stale";
        EXPECT_EQ(c.verdict, CheckBatchFolder(c.value, c.kind, host, &reason));
        if (*c.reason) { EXPECT_NE(std::string::npos, reason.str().find(c.reason)) << reason.str(); }
        else { EXPECT_EQ("", reason.str()); }
    }
}

TEST(BatchFolderCheck, AValueWithoutAFormInCmdsCodePageIsRefused)
{
    BatchFolderContext host = Host();
    EXPECT_EQ(BATCH_FOLDER_OK, CheckBatchFolder("C:\\x\\\xd8rsted", ABS, host));   // Ø: 9D in 850
    host.oemCodePage = 437;
    CString reason;
    EXPECT_EQ(BATCH_FOLDER_UNSAFE_CHARACTER, CheckBatchFolder("C:\\x\\\xd8rsted", ABS, host, &reason));
    EXPECT_EQ("holds a character without a form in cmd's (OEM) code page", reason.str());
    EXPECT_EQ(BATCH_FOLDER_OK, CheckBatchFolder("C:\\x\\\xdc" "bung", ABS, host));
    EXPECT_EQ(BATCH_FOLDER_PROTECTED, CheckBatchFolder("C:\\USERS\\J\xdcRGEN", ABS, host));
}

TEST(BatchFolderCheck, ResolvesAsTheBatchDoes)
{
    const struct {
        const char* value;
        BatchFolderKind kind;
        const char* workDir;
        const char* folder;
    } cases[] = {
        {"oldpkg", REL, "C:\\users\\bob\\Temp", "C:\\users\\bob\\Temp\\oldpkg"},
        {"oldpkg", ABS, "C:\\users\\bob\\Temp", "C:\\oldpkg"},   // after "cd \"
        {"\\x\\\\y\\", REL, "E:\\temp", "E:\\x\\y"},
        {"d:\\a", ABS, "C:\\t", "D:\\a"},
        {"x", REL, "C:\\", "C:\\x"},
        {"x", REL, "\\\\server\\temp", ""},
        {"x", REL, "", ""},
        {"E:relative", ABS, "C:\\t", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.folder, ResolveBatchFolder(c.value, c.kind, c.workDir).str());
    }
}

TEST(BatchFolderCheck, HostContextHoldsThisMachinesFolders)
{
    BatchFolderContext host = HostBatchFolderContext("", "C:\\some\\temp", "V:\\pkg");
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    EXPECT_EQ(std::string(cwd), host.workDir.str()) << "without a folder the batch runs in ours";
    std::string roles;
    for (const ProtectedFolder& f : host.folders) roles += f.role.str() + "|";
    for (const char* role : {"the Windows folder", "the system folder", "a Program Files folder", "ProgramData",
                             "the users' root", "a user profile", "the temporary directory", "the program's folder"})
        EXPECT_NE(std::string::npos, roles.find(role)) << role;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(BATCH_FOLDER_PROTECTED, CheckBatchFolder(windows, ABS, host));
    EXPECT_EQ(BATCH_FOLDER_PROTECTED, CheckBatchFolder("V:\\pkg", ABS, host));
    EXPECT_EQ(BATCH_FOLDER_PROTECTED, CheckBatchFolder("C:\\some", ABS, host));
}

TEST(BatchFolderCheck, HostFolderGivenInShortFormIsProtectedUnderItsLongName)
{
    TempDir dir("zvbatch");
    const std::string profile = dir.path("longprofilename"), temp = profile + "\\AppData\\Temp";
    for (const std::string& f : {profile, profile + "\\AppData", temp})
        ASSERT_TRUE(CreateDirectoryA(f.c_str(), nullptr)) << f;
    char shortTemp[MAX_PATH] = "";
    DWORD n = GetShortPathNameA(temp.c_str(), shortTemp, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    if (std::string(shortTemp).find("longprofilename") != std::string::npos) GTEST_SKIP() << "no short names here";

    // The temporary directory as %TEMP% often names it: in its short form.
    BatchFolderContext host = HostBatchFolderContext("", shortTemp, "V:\\pkg");
    CString reason;
    EXPECT_EQ(BATCH_FOLDER_PROTECTED,
              CheckBatchFolder((profile + "\\AppData").c_str(), BATCH_FOLDER_ABSOLUTE, host, &reason));
    EXPECT_NE(std::string::npos, reason.str().find("which holds the temporary directory")) << reason.str();
    EXPECT_EQ(BATCH_FOLDER_PROTECTED, CheckBatchFolder(temp.c_str(), BATCH_FOLDER_ABSOLUTE, host));
}
