// The whole-game runs use every action, and show the script's freedoms.
#include "sim/sim_script.h"

#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

TEST(SimScript, NamesEveryKey) {
  const sim::ScriptResult result = sim::ParseScript(
      "1 press LEFT\n2 press RIGHT\n3 press UP\n4 press DOWN\n5 press SPACE\n6 press ESCAPE\n"
      "7 release F12\n");
  ASSERT_TRUE(result.ok) << result.error;
  std::vector<int> keys;
  for (const platform::ScriptEvent& event : result.events) {
    keys.push_back(event.virtualKey);
  }
  EXPECT_EQ(keys, (std::vector<int>{VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE, VK_ESCAPE, VK_F12}));
  EXPECT_EQ(result.events.back().kind, platform::ScriptEvent::Kind::Release);
  EXPECT_EQ(result.events.back().time, 7u);
}

TEST(SimScript, RefusesAMalformedLineByNumberAndKeepsNothing) {
  const std::string longKey = "100 press " + std::string(10 << 20, 'K') + "\n";
  const std::tuple<const char*, int, const char*> cases[] = {
      // the script, the bad line, what it names
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
      {longKey.c_str(), 1, "'KKKKKKKK"},
  };
  for (const auto& [text, line, mentions] : cases) {
    const sim::ScriptResult result = sim::ParseScript(text);
    EXPECT_FALSE(result.ok) << text;
    EXPECT_TRUE(result.events.empty()) << text;
    EXPECT_EQ(result.errorLine, line) << text;
    EXPECT_NE(result.error.find("line " + std::to_string(line)), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(mentions), std::string::npos) << result.error;
    EXPECT_LT(result.error.size(), 200u) << "a bad word is shown only in part";
  }
  const sim::ScriptResult missing = sim::ReadScriptFile("/nonexistent/chompo/script.txt");
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("/nonexistent/chompo/script.txt"), std::string::npos);
}

}  // namespace
