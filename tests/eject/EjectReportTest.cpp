// Reading the device report and the package's splash settings.
#include "EjectSupport.h"
#include <EjectReport.h>
#include <EjectSettings.h>
#include <gtest/gtest.h>

using namespace ejecttest;

TEST(EjectReport, CountsEjectedDevicesFromTheOutput)
{
    struct Case { const char* output; bool found; long count; } cases[] = {
        {"", false, -7},
        {"no key here", false, -7},
        {"device_s_ejected=2\r\n", true, 2},
        {"x device_s_ejected=   17 devices", true, 17},
        {"device_s_ejected=\r\n", true, 0},
        {"device_s_ejected=abc", true, 0},
        {"device_s_ejected=3\r\ndevice_s_ejected=5", true, 3},            // the first occurrence
        {"device_s_ejected=4\r\nlater device_s_ejected=0", true, 0},     // "=0" anywhere wins
        {"device_s_ejected=05", true, 0},
        {"device_s_ejected=-3", true, 0},
        {"Device_S_Ejected=4", false, -7},                                 // case-sensitive
        {"device_s_ejected=99999999999999999999", true, 2147483647L},
    };
    for (const Case& c : cases) {
        long count = -7;
        EXPECT_EQ(c.found, FindDevicesEjected(c.output, &count)) << c.output;
        EXPECT_EQ(c.count, count) << c.output;
    }
}

TEST(EjectReport, InfoAndErrorValuesCompareExactly)
{
    EXPECT_EQ(EJECT_INFO_EJECTED, ClassifyEjectInfo("EJECTED"));
    EXPECT_EQ(EJECT_INFO_FAILED, ClassifyEjectInfo("EJECTED_FAILED"));
    for (const char* other : {"", "EJECTED ", "ejected", " EJECTED", "EJECTED_FAILED\r\n", "EJECT"})
        EXPECT_EQ(EJECT_INFO_NONE, ClassifyEjectInfo(other)) << '"' << other << '"';

    EXPECT_EQ(-2, EjectErrorResult("CR_REMOVE_VETOED"));
    EXPECT_EQ(-2, EjectErrorResult("CR_INVALID_DEVNODE"));
    for (const char* other : {"", "CR_REMOVE_VETOED ", "cr_remove_vetoed", "CR_FAILURE"})
        EXPECT_EQ(1, EjectErrorResult(other)) << '"' << other << '"';
}

TEST(EjectSettings, MissingFileGivesTheGermanDefaults)
{
    TempDir dir;
    CEjectSettings s = ReadEjectSettings(dir.file("Application.ini").c_str());
    EXPECT_EQ("", s.removeSplash.str());
    EXPECT_EQ("", s.ejectOKSplash.str());
    EXPECT_EQ("Vaultik wird ausgeworfen", s.removing.str());
    EXPECT_EQ("Sie k\xF6nnen Vaultik jetzt entfernen!", s.ejectOK.str());
    EXPECT_EQ(3000, ReadEjectOKTime(dir.file("Application.ini").c_str()));
}

TEST(EjectSettings, PackageFileIsReadInWindows1252)
{
    std::string ini = PackageFile("Application.ini");
    CEjectSettings s = ReadEjectSettings(ini.c_str());
    EXPECT_EQ("removesplash.bmp", s.removeSplash.str());
    EXPECT_EQ("ejectoksplash.bmp", s.ejectOKSplash.str());
    EXPECT_EQ("Vaultik wird ausgeworfen", s.removing.str());
    EXPECT_EQ("Sie k\xF6nnen Vaultik jetzt entfernen!", s.ejectOK.str());
    EXPECT_EQ(3000, ReadEjectOKTime(ini.c_str()));
}

TEST(EjectSettings, EmptyValuesStayEmpty)
{
    TempDir dir;
    WriteFile(dir.file("Application.ini"),
              "[Application]\r\nRemoveSplash=\r\nEjectOKSplash=ok.gif\r\n[Strings]\r\nRemoving=\r\nEjectOK=\r\n");
    CEjectSettings s = ReadEjectSettings(dir.file("Application.ini").c_str());
    EXPECT_EQ("", s.removeSplash.str());
    EXPECT_EQ("ok.gif", s.ejectOKSplash.str());
    EXPECT_EQ("", s.removing.str());
    EXPECT_EQ("", s.ejectOK.str());
}

TEST(EjectSettings, DisplayTimeIsKeptBetweenOneAndTenSeconds)
{
    TempDir dir;
    struct Case { const char* entry; int time; } cases[] = {
        {"EjectOKTime=500", 1000},   {"EjectOKTime=20000", 10000}, {"", 3000},
        {"EjectOKTime=1000", 1000},  {"EjectOKTime=10000", 10000}, {"EjectOKTime=4500", 4500},
        {"EjectOKTime=-5", 1000},    {"EjectOKTime=0", 1000},      {"EjectOKTime=soon", 1000},
    };
    int n = 0;
    for (const Case& c : cases) {
        // A new file name each time: the profile functions may cache a file they just read.
        std::string path = dir.file("time" + std::to_string(++n) + ".ini");
        WriteFile(path, std::string("[Application]\r\n") + c.entry + "\r\n");
        EXPECT_EQ(c.time, ReadEjectOKTime(path.c_str())) << c.entry;
    }
}
