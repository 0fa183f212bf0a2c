// A system DLL planted beside the program (userenv.dll, version.dll: no KnownDLLs) with a load
// order that prefers it, as Windows' search would for a program in %TEMP%: the programs load
// the system's own. The probe shows that the planted files would be taken otherwise.
#include "AppTestSupport.h"
#include "ChildProcess.h"
#include "FileBytes.h"
#include "TempDir.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using namespace apptest;

namespace {

const char* const PREFER_PLANTED = "userenv,version=n,b";

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return s;
}

// The test's environment with WINEDLLOVERRIDES preferring the planted files.
std::string EnvironmentPreferringPlanted()
{
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; *p; p += strlen(p) + 1)
        if (_strnicmp(p, "WINEDLLOVERRIDES=", 17) != 0) block.append(p, strlen(p) + 1);
    FreeEnvironmentStringsA(strings);
    block += std::string("WINEDLLOVERRIDES=") + PREFER_PLANTED + '\0';
    return block;
}

void Plant(const std::string& folder)
{
    for (const char* dll : {"userenv.dll", "version.dll"})
        ASSERT_TRUE(CopyFileA((ProgramDir() + "\\planted\\" + dll).c_str(), (folder + "\\" + dll).c_str(), FALSE))
            << dll;
}

void CopyProgram(const char* name, const std::string& folder)
{
    ASSERT_TRUE(CopyFileA((ProgramDir() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE)) << name;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(PlantedSystemDll, IsTakenByTheStandardSearchButNotOnceTheSearchIsRestricted)
{
    TempDir dir("plant");
    Plant(dir.dir());
    CopyProgram("dll_search_probe.exe", dir.dir());
    ChildStart how;
    how.workDir = dir.dir();
    how.environment = EnvironmentPreferringPlanted();
    how.outPath = dir.path("out.txt");
    const std::string probe = "\"" + dir.path("dll_search_probe.exe") + "\"";

    ASSERT_EQ(0u, RunChild(probe + " plain", how, 30000));
    std::vector<std::string> plain = Lines(ReadBytes(dir.path("out.txt")));
    EXPECT_EQ(std::vector<std::string>({dir.path("userenv.dll"), dir.path("version.dll")}), plain)
        << "without the restriction the planted files are loaded: the test can see it";
    EXPECT_NE(std::string::npos, ReadBytes(dir.path("planted.log")).find("dll_search_probe.exe"))
        << "the planted file tells when it is loaded";

    DeleteFileA(dir.path("planted.log").c_str());
    ASSERT_EQ(0u, RunChild(probe + " restricted", how, 30000));
    std::vector<std::string> restricted = Lines(ReadBytes(dir.path("out.txt")));
    ASSERT_EQ(2u, restricted.size());
    for (const std::string& path : restricted)
        EXPECT_NE(std::string::npos, Lower(path).find("\\system32\\")) << path;
    EXPECT_FALSE(Exists(dir.path("planted.log"))) << ReadBytes(dir.path("planted.log"));
}

TEST(PlantedSystemDll, IsNotLoadedByTheTools)
{
    TempDir dir("plant");
    Plant(dir.dir());
    // The report reads the version resources of the package files beside it (version.dll).
    for (const char* program : {"vacater-report.exe", "zevdev.exe", "zvlog.exe", "Vacater.exe", "ZevDevDll.dll"})
        CopyProgram(program, dir.dir());
    ChildStart how;
    how.workDir = dir.dir();
    how.environment = EnvironmentPreferringPlanted();
    for (const char* run : {"vacater-report.exe", "zevdev.exe list", "zvlog.exe missing.log"}) {
        SCOPED_TRACE(run);
        how.outPath = dir.path("out.txt");
        EXPECT_NE(CHILD_NOT_STARTED, RunChild(dir.path(run), how, 60000));
        EXPECT_FALSE(ReadBytes(dir.path("out.txt")).empty() && std::string(run) == "vacater-report.exe")
            << "the report printed nothing";
    }
    EXPECT_FALSE(Exists(dir.path("planted.log"))) << ReadBytes(dir.path("planted.log"));
}

using PlantedBesideVacater = AppRun;

// The whole removal, relocation and clean-up batch included: both instances look up the
// users' root (userenv) for the folder check.
TEST_F(PlantedBesideVacater, NeitherInstanceLoadsIt)
{
    Plant(m_package);
    Plant(m_temp);
    m_env["WINEDLLOVERRIDES"] = PREFER_PLANTED;
    WriteScenario(SCENARIO_EJECTED);
    ASSERT_TRUE(WaitForExit(StartFromToken("/RmDir=gone /CleanUpOnly=1"), 30000));
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    ASSERT_TRUE(WaitUntil([] { return ProcessesNamed("Vacater.exe").empty(); }, 60000));
    EXPECT_NE(std::string::npos, LogOf(copy).find("Batch-Pfad")) << "the copy reached its clean-up";
    EXPECT_FALSE(Exists(m_package + "\\planted.log")) << ReadBytes(m_package + "\\planted.log");
    EXPECT_FALSE(Exists(m_temp + "\\planted.log")) << ReadBytes(m_temp + "\\planted.log");
}
