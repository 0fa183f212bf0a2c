// Folder values a careless or hostile launcher passes, run end to end from the token drive:
// the clean-up batch removes at most the one folder a value names, with canary files
// around every target. A value the program must refuse is checked in-process first, so a
// fault in the check fails the test instead of letting a batch loose on the prefix. The
// restart line carries every value it can carry unchanged; the copy's check refuses the
// unsafe ones. The check's whole table runs in-process (BatchFolderCheckTest, CleanUpRunTest):
// here only the kinds of value whose effect needs the real cmd.
#include "AppTestSupport.h"
#include "BatchFolderCheck.h"

using namespace apptest;

namespace {

std::string Fill(std::string text, const std::map<std::string, std::string>& names)
{
    for (const auto& n : names)
        for (size_t at = text.find(n.first); at != std::string::npos; at = text.find(n.first, at + n.second.size()))
            text.replace(at, n.first.size(), n.second);
    return text;
}

const char* const OTHER_DRIVE = "W:\\";   // the test set-up maps W: to a folder of the build tree

// A profile whose name holds an umlaut, for the time of a test.
struct UmlautProfile {
    std::string path = "C:\\users\\J\xfcrgen";
    UmlautProfile() { MakeDirs(path); WriteBytes(path + "\\profile.txt", "canary"); }
    ~UmlautProfile() { RemoveTree(path); }
};

} // namespace

using BatchFolderRun = AppRun;

TEST_F(BatchFolderRun, EachValueRemovesAtMostTheFolderItNames)
{
    // {X}: a folder standing in for C:\x; {T}: the temporary directory; {W}, {V}: this
    // test's folders on another drive and on the token drive.
    const struct {
        const char* option;   // as the launcher passes it
        BatchFolderKind kind;
        std::vector<const char*> kept, gone;   // files, and what the value names literally
        const char* restartReason = nullptr;   // a value the restart line would change: why the launcher keeps it
    } rows[] = {
        // Carried to the copy unchanged, refused there: nothing is removed.
        {"/RmAbsDir=\"{X}\\target b\"", BATCH_FOLDER_ABSOLUTE,
         {"{X}\\target\\c.txt", "{X}\\target b\\c.txt"}, {}},
        {"/RmAbsDir=\"{X}\\y & del /Q {X}\\file.txt\"", BATCH_FOLDER_ABSOLUTE, {"{X}\\y\\c.txt", "{X}\\file.txt"}, {}},
        {"/RmDir=..\\..", BATCH_FOLDER_RELATIVE, {"{R}\\canary.txt", "{T}\\keep.txt"}, {}},
        // Plain folders still go: under %TEMP%, on another drive, on the token.
        {"/RmDir=oldpkg", BATCH_FOLDER_RELATIVE, {"{T}\\keep.txt", "{T}\\oldpkg2\\c.txt"}, {"{T}\\oldpkg\\sub\\c.txt"}},
        {"/RmAbsDir={W}\\cache", BATCH_FOLDER_ABSOLUTE, {"{W}\\keep.txt"}, {"{W}\\cache\\sub\\c.txt"}},
        {"/RmAbsDir={V}\\cache", BATCH_FOLDER_ABSOLUTE, {"{V}\\application.ini"}, {"{V}\\cache\\c.txt"}},
        // Letters beyond ASCII, as cmd reads them in its code page (the test runs in 1252 and 437).
        {"/RmAbsDir=\"{X}\\\xdc" "bung\"", BATCH_FOLDER_ABSOLUTE, {"{X}\\keep.txt", "{X}\\Ubung\\c.txt"},
         {"{X}\\\xdc" "bung\\sub\\c.txt"}},
        {"/RmAbsDir=C:\\USERS\\J\xdcRGEN", BATCH_FOLDER_ABSOLUTE, {"C:\\users\\J\xfcrgen\\profile.txt"}, {}},
        // Values the restart command line would hand the copy changed ("/RmDir" stands unquoted, a
        // double quote ends either value): the copy would remove a folder the launcher never named.
        {"/RmDir=\"{X}\\target b\"", BATCH_FOLDER_RELATIVE, {"{X}\\target\\c.txt", "{X}\\target b\\c.txt"}, {},
         "holds a blank"},
        {"/RmAbsDir={X}\\a\"b", BATCH_FOLDER_ABSOLUTE, {"{X}\\a\\c.txt"}, {}, "holds a double quote"},
    };
    UmlautProfile profile;
    ASSERT_TRUE(Exists(OTHER_DRIVE)) << "drive W: is missing: run the tests through ctest";
    std::string other = OTHER_DRIVE + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    int n = 0;
    for (const auto& row : rows) {
        UseTemp(m_root + "\\temp" + std::to_string(++n));
        std::map<std::string, std::string> names = {
            {"{X}", m_root + "\\x" + std::to_string(n)}, {"{T}", m_temp}, {"{R}", m_root}, {"{W}", other}, {"{V}", m_package}};
        std::string option = Fill(row.option, names);
        SCOPED_TRACE(option);
        std::string value = option.substr(option.find('=') + 1);
        if (value[0] == '"') value = value.substr(1, value.size() - 2);
        bool refused = row.gone.empty(), restart = row.restartReason != nullptr;
        BatchFolderContext host = HostBatchFolderContext(m_temp.c_str(), m_temp.c_str(), m_temp.c_str());
        if (!restart) { ASSERT_EQ(refused, CheckBatchFolder(value.c_str(), row.kind, host) != BATCH_FOLDER_OK) << "not run: unsafe"; }

        std::vector<std::string> kept, gone;
        for (const char* f : row.kept) kept.push_back(Fill(f, names));
        for (const char* f : row.gone) gone.push_back(Fill(f, names));
        for (const std::vector<std::string>* files : {&kept, &gone})
            for (const std::string& f : *files)
                ASSERT_TRUE(MakeDirs(f.substr(0, f.find_last_of('\\'))) && WriteBytes(f, "canary")) << f;

        DWORD launcher = 0;
        ASSERT_TRUE(WaitForExit(StartFromToken(option + " /CleanUpOnly=1" + (restart ? " /VKDriveLetter=V:" : ""), &launcher), 30000));
        DWORD copy = RelocatedInstance();
        ASSERT_NE(0u, copy);
        ASSERT_TRUE(WaitUntil([&] { return ProcessesAt(m_temp + "\\Vacater.exe").empty(); }, 60000));
        EXPECT_TRUE(WaitUntil([&] { return !Exists(m_temp + "\\remove.bat"); }, 30000)) << "the batch did not finish";
        for (const std::string& f : kept) EXPECT_TRUE(Exists(f)) << f << " was deleted";
        for (const std::string& f : gone) EXPECT_FALSE(Exists(f)) << f;
        if (!refused) { EXPECT_FALSE(Exists(ResolveBatchFolder(value.c_str(), row.kind, m_temp.c_str()).str())); }
        if (!restart) { EXPECT_FALSE(Exists(m_temp + "\\Vacater.exe")) << "the rest of the batch runs as usual"; }
        EXPECT_FALSE(Exists(m_temp + "\\application.ini"));

        std::string log = LogOf(copy), first = LogOf(launcher);
        std::string key = option.substr(0, option.find('='));
        if (restart) {
            EXPECT_EQ(1u, Occurrences(first, "REMOVE_EXE : " + key + " value [")) << first;
            EXPECT_NE(std::string::npos, first.find(row.restartReason)) << first;
            // The other options still go to the copy.
            EXPECT_EQ(1u, Occurrences(first, "Calling new instance with commandline : " + m_temp +
                                                 "\\Vacater.exe /DriveLetter=V /CleanUpOnly=1 /VKDriveLetter=V: in ")) << first;
            EXPECT_EQ(0u, Occurrences(log, "/Rm")) << log;
            EXPECT_EQ(0u, Occurrences(log, "rmdir /S /Q ")) << log;
            continue;
        }
        // The launcher hands the value on as given; the copy's check refuses it.
        std::string trace = "REMOVE_EXE : " + key + " value [" + value + "] refused, it ";
        EXPECT_EQ(0u, Occurrences(first, "] refused, it ")) << first;
        EXPECT_EQ(refused ? 1u : 0u, Occurrences(log, trace)) << log;
        // The written batch, as traced: a refused value leaves no folder line at all.
        EXPECT_EQ(refused ? 0u : key == "/RmDir" ? 1u : 3u, Occurrences(log, "rmdir /S /Q ")) << log;
        EXPECT_EQ(refused || key == "/RmDir" ? 0u : 1u, Occurrences(log, "cd \\ \r\n")) << log;
    }
    RemoveTree(other);
}
