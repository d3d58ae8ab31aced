#include "sim/sim_script.h"

#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

using Kind = platform::ScriptEvent::Kind;

TEST(SimScript, ReadsEventsCommentsAndBlankLines) {
  const sim::ScriptResult result = sim::ParseScript(
      "# start a game\n"
      "\n"
      "100 press SPACE\r\n"
      "  150\trelease   space   # let go\n"
      "5000 PRESS left\n"
      "4000 deactivate\n"
      "4300 activate\n"
      "9000 press F12\n"
      "9000 release Escape\n"
      "9999 close");
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.events.size(), 8u);
  const struct {
    std::uint32_t time;
    Kind kind;
    int key;
  } expected[] = {
      {100, Kind::Press, VK_SPACE},   {150, Kind::Release, VK_SPACE},   {5000, Kind::Press, VK_LEFT},
      {4000, Kind::Deactivate, 0},    {4300, Kind::Activate, 0},        {9000, Kind::Press, VK_F12},
      {9000, Kind::Release, VK_ESCAPE}, {9999, Kind::Close, 0},
  };
  for (std::size_t i = 0; i < result.events.size(); ++i) {
    EXPECT_EQ(result.events[i].time, expected[i].time) << i;
    EXPECT_EQ(result.events[i].kind, expected[i].kind) << i;
    if (expected[i].key != 0) {
      EXPECT_EQ(result.events[i].virtualKey, expected[i].key) << i;
    }
  }
}

TEST(SimScript, RefusesAMalformedLineByNumberAndKeepsNothing) {
  const struct {
    const char* text;
    int line;
    const char* mentions;
  } cases[] = {
      {"100 press SPACE\n200 prss SPACE\n", 2, "prss"},
      {"100 press\n", 1, "needs a key"},
      {"# ok\n100 press SPACE\n\n150 press SPAEC\n", 4, "SPAEC"},
      {"100 press SPACE LEFT\n", 1, "LEFT"},
      {"100 activate SPACE\n", 1, "takes no key"},
      {"-5 press SPACE\n", 1, "-5"},
      {"1e3 press SPACE\n", 1, "1e3"},
      {"4294967296 close\n", 1, "4294967296"},
      {"100\n", 1, "action"},
      {"press SPACE 100\n", 1, "press"},
  };
  for (const auto& c : cases) {
    const sim::ScriptResult result = sim::ParseScript(c.text);
    EXPECT_FALSE(result.ok) << c.text;
    EXPECT_TRUE(result.events.empty()) << c.text;
    EXPECT_EQ(result.errorLine, c.line) << c.text;
    EXPECT_NE(result.error.find("line " + std::to_string(c.line)), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(c.mentions), std::string::npos) << result.error;
  }
}

TEST(SimScript, AMissingFileIsRefused) {
  const sim::ScriptResult result = sim::ReadScriptFile("/nonexistent/chompo/script.txt");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("/nonexistent/chompo/script.txt"), std::string::npos);
}

}  // namespace
