// Reading the device report and the package's splash settings.
#include "EjectSupport.h"
#include <EjectReport.h>
#include <EjectSettings.h>
#include <gtest/gtest.h>

using namespace ejecttest;

TEST(EjectReport, CountsEjectedDevicesFromTheOutput)
{
    struct Case { const char* output; bool found; long count; } cases[] = {
        {"no key here", false, -7},
        {"x device_s_ejected=   17 devices", true, 17},
        {"device_s_ejected=abc", true, 0},
        {"device_s_ejected=3\r\ndevice_s_ejected=5", true, 3},         // the first occurrence
        {"device_s_ejected=4\r\nlater device_s_ejected=0", true, 0},  // "=0" anywhere wins
        {"device_s_ejected=-3", true, 0},
        {"Device_S_Ejected=4", false, -7},                              // case-sensitive
        {"device_s_ejected=99999999999999999999", true, 2147483647L},
    };
    for (const Case& c : cases) {
        long count = -7;
        EXPECT_EQ(c.found, FindDevicesEjected(c.output, &count)) << c.output;
        EXPECT_EQ(c.count, count) << c.output;
    }
}

TEST(EjectSettings, MissingEmptyAndPackageFilesGiveTheirTexts)
{
    TempDir dir("ejtest");
    ASSERT_TRUE(WriteBytes(dir.path("empty.ini"),
                           "[Application]\r\nRemoveSplash=\r\nEjectOKSplash=ok.gif\r\n[Strings]\r\nRemoving=\r\nEjectOK=\r\n"));
    const char* const removing = "Vaultik wird ausgeworfen";
    const char* const ejectOK = "Sie k\xF6nnen Vaultik jetzt entfernen!";  // Windows-1252
    struct Case { std::string path; const char *remove, *ok, *removing, *ejectOK; } cases[] = {
        {dir.path("missing.ini"), "", "", removing, ejectOK},
        {dir.path("empty.ini"), "", "ok.gif", "", ""},
        {PackageFile("Application.ini"), "removesplash.bmp", "ejectoksplash.bmp", removing, ejectOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CEjectSettings s = ReadEjectSettings(c.path.c_str());
        EXPECT_EQ(c.remove, s.removeSplash.str());
        EXPECT_EQ(c.ok, s.ejectOKSplash.str());
        EXPECT_EQ(c.removing, s.removing.str());
        EXPECT_EQ(c.ejectOK, s.ejectOK.str());
    }
}

TEST(EjectSettings, DisplayTimeIsKeptBetweenOneAndTenSeconds)
{
    TempDir dir("ejtest");
    struct Case { const char* entry; int time; } cases[] = {
        {"EjectOKTime=500", 1000}, {"EjectOKTime=20000", 10000}, {"", 3000},
        {"EjectOKTime=4500", 4500}, {"EjectOKTime=-5", 1000}, {"EjectOKTime=soon", 1000},
    };
    int n = 0;
    for (const Case& c : cases) {
        // A new file name each time: the profile functions may cache a file they just read.
        std::string path = dir.path("time" + std::to_string(++n) + ".ini");
        ASSERT_TRUE(WriteBytes(path, std::string("[Application]\r\n") + c.entry + "\r\n"));
        EXPECT_EQ(c.time, ReadEjectOKTime(path.c_str())) << c.entry;
    }
    EXPECT_EQ(3000, ReadEjectOKTime(dir.path("missing.ini").c_str()));
}
