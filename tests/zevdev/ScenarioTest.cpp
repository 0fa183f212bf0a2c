// The scenario text the test library plays: how long a pass takes, and the mistakes that
// reject a file, each named by its line.
#include "Scenario.h"
#include <gtest/gtest.h>
#include <string>

using namespace zevdev;

TEST(ScenarioText, WaitBelongsToAPassAndTakesMilliseconds)
{
    const std::string head = "command eject \"usb\\vid_3e7a&pid_41*\"\npass\n";
    const struct {
        std::string text;
        const char* error;     // "" when the file is taken
        unsigned long waitMs;  // of the first pass
    } cases[] = {
        {head + "wait 250\ninfo EJECTED\n", "", 250},
        {head + "wait 0\n", "", 0},
        {head + "wait 60000\n", "", 60000},
        {head, "", 0},
        {"wait 250\n" + head, "line 1: wait outside a pass", 0},
        {head + "wait\n", "line 3: wait takes milliseconds, 0 to 60000", 0},
        {head + "wait 60001\n", "line 3: wait takes milliseconds, 0 to 60000", 0},
        {head + "wait 4294967296\n", "line 3: wait takes milliseconds, 0 to 60000", 0},
        {head + "wait -1\n", "line 3: wait takes milliseconds, 0 to 60000", 0},
        {head + "wait 1.5\n", "line 3: wait takes milliseconds, 0 to 60000", 0},
        {head + "wait 250 \n", "line 3: wait takes milliseconds, 0 to 60000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Scenario scenario;
        std::string error;
        EXPECT_EQ(*c.error == '\0', ParseScenario(c.text, scenario, error));
        EXPECT_EQ(c.error, error);
        if (*c.error) continue;
        ASSERT_EQ(1u, scenario.commands.size());
        ASSERT_EQ(1u, scenario.commands[0].passes.size());
        EXPECT_EQ(c.waitMs, scenario.commands[0].passes[0].waitMs);
    }
}
