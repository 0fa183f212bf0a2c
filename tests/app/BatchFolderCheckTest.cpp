// Which "/RmDir" and "/RmAbsDir" values the clean-up batch may remove, and why the others
// are refused: a host with its profile, system and temporary folders on C:.
#include "BatchFolderCheck.h"
#include "TempDir.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <cwctype>

namespace {

BatchFolderContext Host()
{
    BatchFolderContext host;
    host.workDir = "C:\\users\\bob\\Temp";
    host.folders = {{L"C:\\windows", "the Windows folder"},          {L"C:\\windows\\system32", "the system folder"},
                    {L"C:\\Program Files", "a Program Files folder"}, {L"C:\\ProgramData", "ProgramData"},
                    {L"C:\\users", "the users' root"},               {L"C:\\users\\bob", "a user profile"},
                    {L"C:\\users\\Public", "a user profile"},        {L"D:\\Profiles\\alice\\", "a user profile"},
                    {L"c:\\USERS\\bob\\temp", "the temporary directory"},
                    {L"C:\\users\\bob\\Temp\\", "the program's folder"}, {L"relative\\ignored", "nothing"},
                    {L"C:\\Users\\J\u00fcrgen", "a user profile"},
                    {L"E:\\Redirected\\Docs", "the user's Documents"}};
    host.ansiCodePage = 1252;   // a German Windows
    host.oemCodePage = 850;
    return host;
}

// A file system with links: every folder exists but those under C:\gone, and a folder
// under a link's path lies under its target.
class FakeLocator : public FolderLocator {
public:
    struct Link {
        const wchar_t* path;
        const wchar_t* target;   // as GetFinalPathNameByHandle gives it
    };
    std::vector<Link> links;
    std::wstring networkDrives;

    std::wstring FinalPath(const std::wstring& folder) const override
    {
        const std::wstring up = Upper(folder);
        if (up.compare(0, 9, L"C:\\GONE\\") == 0 || up == L"C:\\GONE") return std::wstring();
        for (const Link& link : links) {
            const std::wstring from = Upper(link.path);
            if (up == from || up.compare(0, from.size() + 1, from + L"\\") == 0)
                return link.target + folder.substr(from.size());
        }
        return L"\\\\?\\" + folder;
    }
    bool IsNetworkDrive(wchar_t letter) const override { return networkDrives.find(letter) != std::wstring::npos; }

private:
    static std::wstring Upper(std::wstring s)
    {
        for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
        return s;
    }
};

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
        {"E:\\redirected\\docs", ABS, BATCH_FOLDER_PROTECTED, "is the user's Documents E:\\Redirected\\Docs"},
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
        unsigned int ansi = 1252, oem = 850;
    } cases[] = {
        {"oldpkg", REL, "C:\\users\\bob\\Temp", "C:\\users\\bob\\Temp\\oldpkg"},
        {"oldpkg", ABS, "C:\\users\\bob\\Temp", "C:\\oldpkg"},   // after "cd \"
        {"\\x\\\\y\\", REL, "E:\\temp", "E:\\x\\y"},
        {"d:\\a", ABS, "C:\\t", "D:\\a"},
        {"x", REL, "C:\\", "C:\\x"},
        {"x", REL, "\\\\server\\temp", ""},
        {"x", REL, "", ""},
        {"E:relative", ABS, "C:\\t", ""},
        {"\\\\server\\share", ABS, "C:\\t", ""},
        // The value as cmd reads it, in the code pages the check is given: byte 8D is a
        // letter in 1250 (Czech, OEM 852), none in 1252.
        {"C:\\x\\\xdc" "bung", ABS, "C:\\t", "C:\\x\\\xdc" "bung"},
        {"C:\\x\\\x8d", ABS, "C:\\t", "C:\\x\\\x8d", 1250, 852},
        {"C:\\x\\\x8d", ABS, "C:\\t", ""},
        {"C:\\x\\\xd8", ABS, "C:\\t", "", 1252, 437},   // no OEM form: cmd cannot read it
        {"C:\\x\\\xc3\x9c" "bung", ABS, "C:\\t", "C:\\x\\\xc3\x9c" "bung", 65001, 65001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        BatchFolderContext context;
        context.workDir = c.workDir;
        context.ansiCodePage = c.ansi;
        context.oemCodePage = c.oem;
        EXPECT_EQ(c.folder, ResolveBatchFolder(c.value, c.kind, context).str());
    }
}

TEST(BatchFolderCheck, FollowsLinksAndDrivesToTheFolderRmdirReaches)
{
    BatchFolderContext host = Host();
    host.folders.push_back({L"C:\\users\\bob\\AppData\\Local\\Temp", "the temporary directory"});
    FakeLocator links;
    links.links = {
        {L"S:", L"\\\\?\\C:\\users"},                              // SUBST S: C:\users
        {L"C:\\x\\docs", L"\\\\?\\E:\\REDIRECTED\\Docs"},           // a junction to the redirected Documents
        {L"C:\\x\\appdata", L"\\\\?\\C:\\users\\bob\\AppData"},     // a symbolic link
        {L"C:\\x\\windows", L"\\\\?\\C:\\Windows"},                 // letter case of the target differs
        {L"C:\\mnt\\d", L"\\\\?\\D:\\"},                           // a mount point of a whole volume
        {L"C:\\mnt\\novolume", L"\\\\?\\Volume{8c1e4a52-0000-0000-0000-100000000000}\\"},
        {L"C:\\x\\share", L"\\\\?\\UNC\\server\\share\\x"},
        {L"C:\\x\\cache", L"\\\\?\\G:\\cache"},
        {L"D:\\Profiles", L"\\\\?\\H:\\Profiles"},                 // alice's profile lies on H:
    };
    links.networkDrives = L"N";
    host.locator = &links;
    const struct {
        const char* value;
        BatchFolderVerdict verdict;
        const char* reason;
    } cases[] = {
        {"S:\\bob", BATCH_FOLDER_PROTECTED, "resolves to S:\\bob, whose final path C:\\users\\bob is a user profile"},
        {"S:\\bob\\Documents", BATCH_FOLDER_OK, ""},
        {"C:\\x\\docs", BATCH_FOLDER_PROTECTED, "whose final path E:\\REDIRECTED\\Docs is the user's Documents E:\\Redirected\\Docs"},
        {"C:\\x\\appdata", BATCH_FOLDER_PROTECTED, "whose final path C:\\users\\bob\\AppData holds the temporary directory C:\\users\\bob\\AppData\\Local\\Temp"},
        {"C:\\x\\windows", BATCH_FOLDER_PROTECTED, "is the Windows folder C:\\windows"},
        {"C:\\x\\windows\\temp", BATCH_FOLDER_OK, ""},
        {"C:\\mnt\\d", BATCH_FOLDER_PROTECTED, "whose final path is the drive root D:\\"},
        {"C:\\mnt\\novolume\\x", BATCH_FOLDER_UNRESOLVABLE, "lies on no drive letter"},
        {"C:\\x\\share", BATCH_FOLDER_UNRESOLVABLE, "whose final path is the network folder \\\\server\\share\\x"},
        {"N:\\data", BATCH_FOLDER_UNRESOLVABLE, "is on the network drive N:"},
        {"C:\\x\\cache", BATCH_FOLDER_OK, ""},
        {"C:\\gone\\bob", BATCH_FOLDER_OK, ""},   // no folder, nothing behind it
        // A protected folder behind a link is protected where it really is.
        {"H:\\Profiles\\alice", BATCH_FOLDER_PROTECTED, "is a user profile D:\\Profiles\\alice (at H:\\Profiles\\alice)"},
        {"H:\\Profiles", BATCH_FOLDER_PROTECTED, "resolves to H:\\Profiles, which holds a user profile D:\\Profiles\\alice (at"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        CString reason = "stale";
        EXPECT_EQ(c.verdict, CheckBatchFolder(c.value, ABS, host, &reason));
        if (*c.reason) { EXPECT_NE(std::string::npos, reason.str().find(c.reason)) << reason.str(); }
        else { EXPECT_EQ("", reason.str()); }
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
