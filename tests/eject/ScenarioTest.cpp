// The scenario format of the simulated device library.
#include <Scenario.h>
#include <cstdio>
#include <gtest/gtest.h>

using namespace zevdev;

TEST(ScenarioFormat, ReadsCommandsPassesAndFieldsInFileOrder)
{
    const std::string text =
        "# a vetoed token that goes on the second try\r\n"
        "command eject \"usb\\vid_3e7a&pid_41*\"\r\n"
        "  pass\r\n"
        "  output 1 device(s) found\\r\\n\r\n"
        "  output device_s_ejected=0\\r\\n\r\n"
        "  info EJECTED_FAILED\r\n"
        "  error CR_REMOVE_VETOED\r\n"
        "  field hwid USB\\VID_3E7A&PID_4101\\0001\r\n"
        "\r\n"
        "  pass\r\n"
        "  info EJECTED \r\n"
        "  device a record\\twith a tab\r\n"
        "  repeat\r\n"
        "command eject other\n"
        "pass\n";
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, s, error)) << error;
    ASSERT_EQ(2u, s.commands.size());
    const ScenarioCommand* c = s.find("eject \"usb\\vid_3e7a&pid_41*\"");
    ASSERT_NE(nullptr, c);
    EXPECT_TRUE(c->repeatLast);
    ASSERT_EQ(2u, c->passes.size());

    const ScenarioPass& p1 = c->passes[0];
    EXPECT_EQ("1 device(s) found\r\ndevice_s_ejected=0\r\n", p1.output);
    ASSERT_EQ(3u, p1.fields.size());
    EXPECT_EQ("info", p1.fields[0].first);
    EXPECT_EQ("EJECTED_FAILED", p1.fields[0].second);
    EXPECT_EQ("CR_REMOVE_VETOED", *p1.field("error"));
    EXPECT_EQ("USB\\VID_3E7A&PID_4101\\0001", *p1.field("hwid"));
    EXPECT_EQ("info=EJECTED_FAILED\r\nerror=CR_REMOVE_VETOED\r\nhwid=USB\\VID_3E7A&PID_4101\\0001\r\n",
              p1.deviceRecord());

    const ScenarioPass& p2 = c->passes[1];
    EXPECT_EQ("EJECTED ", *p2.field("info")) << "the value is the rest of the line, blanks included";
    EXPECT_EQ(nullptr, p2.field("error"));
    EXPECT_EQ("a record\twith a tab", p2.deviceRecord());

    const ScenarioCommand* other = s.find("eject other");
    ASSERT_NE(nullptr, other);
    EXPECT_FALSE(other->repeatLast);
    ASSERT_EQ(1u, other->passes.size());
    EXPECT_FALSE(other->passes[0].hasDevice());
    EXPECT_EQ(nullptr, s.find("eject \"usb\\vid_3e7a&pid_40*\""));
}

TEST(ScenarioFormat, NamesTheLineOfAMistake)
{
    struct Case { const char* text; const char* error; } cases[] = {
        {"pass\n", "line 1: pass before any command"},
        {"command eject a\ninfo EJECTED\n", "line 2: info outside a pass"},
        {"command eject a\npass\n\nstatus EJECTED\n", "line 4: unknown keyword: status"},
        {"command eject a\ncommand eject a\n", "line 2: command given twice: eject a"},
        {"command\n", "line 1: command without text"},
        {"command eject a\nrepeat\n", "line 2: repeat before any pass"},
        {"command eject a\npass\nfield\n", "line 3: field without a name"},
    };
    for (const Case& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, s, error)) << c.text;
        EXPECT_EQ(c.error, error) << c.text;
    }
}

TEST(ScenarioFormat, OnlyLineEndsAndTabsAreEscapes)
{
    EXPECT_EQ("a\r\nb\tc", UnescapeScenarioText("a\\r\\nb\\tc"));
    EXPECT_EQ("usb\\vid_3e7a&pid_40*", UnescapeScenarioText("usb\\vid_3e7a&pid_40*"));
    EXPECT_EQ("end\\", UnescapeScenarioText("end\\"));
    EXPECT_EQ("\\\\", UnescapeScenarioText("\\\\"));
}

TEST(ScenarioFormat, ShippedSamplesAreValid)
{
    for (const char* name : {"ejected.txt", "vetoed-twice.txt", "always-vetoed.txt"}) {
        std::string path = std::string(ZEVDEV_SCENARIOS_DIR) + "/" + name;
        FILE* f = fopen(path.c_str(), "rb");
        ASSERT_NE(nullptr, f) << path;
        std::string text;
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
        fclose(f);
        Scenario s;
        std::string error;
        EXPECT_TRUE(ParseScenario(text, s, error)) << name << ": " << error;
        EXPECT_FALSE(s.commands.empty()) << name;
    }
}
