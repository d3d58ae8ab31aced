#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace {

using sim::ParseOptions;

TEST(SimOptions, TakesEveryOptionInBothSpellings) {
  const sim::OptionsResult result =
      ParseOptions({"--data", "d", "--script=s.txt", "--until", "1500", "--clock-start", "0xFFFFFF00",
                    "--trace=t.jsonl", "--frames", "out", "--frame-at", "30,10", "--frame-at=20", "--frame-every",
                    "17"});
  ASSERT_TRUE(result.ok) << result.error;
  const sim::SimOptions& options = result.options;
  EXPECT_EQ(options.dataDir, "d");
  EXPECT_EQ(options.scriptPath, "s.txt");
  EXPECT_TRUE(options.hasUntil);
  EXPECT_EQ(options.untilMs, 1500u);
  EXPECT_EQ(options.clockStart, 0xFFFFFF00u);
  EXPECT_EQ(options.tracePath, "t.jsonl");
  EXPECT_EQ(options.framesDir, "out");
  EXPECT_EQ(options.frameAt, (std::vector<std::uint32_t>{30, 10, 20}));
  EXPECT_EQ(options.frameEvery, 17u);
  EXPECT_FALSE(options.help);
}

TEST(SimOptions, DefaultsRunTheBuiltDataWithNothingElse) {
  const sim::OptionsResult result = ParseOptions({});
  ASSERT_TRUE(result.ok);
  EXPECT_FALSE(result.options.dataDir.empty());
  EXPECT_TRUE(result.options.scriptPath.empty());
  EXPECT_FALSE(result.options.hasUntil);
  EXPECT_EQ(result.options.clockStart, 0x10000u);
  EXPECT_TRUE(result.options.tracePath.empty());

  const sim::OptionsResult help = ParseOptions({"--until", "5", "--help"});
  ASSERT_TRUE(help.ok);
  EXPECT_TRUE(help.options.help);
  EXPECT_NE(sim::UsageText().find("--frame-every"), std::string::npos);
}

TEST(SimOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> refused = {
      {"--speed", "2"},
      {"stray"},
      {"--until"},
      {"--until", "-1"},
      {"--until", "4294967296"},
      {"--until", "12ms"},
      {"--clock-start", "0x"},
      {"--clock-start", "0x100000000"},
      {"--frame-every", "0", "--frames", "f"},
      {"--frame-at", "10,,20", "--frames", "f"},
      {"--frame-at", "10"},
      {"--frames", "f"},
      {"--data="},
  };
  for (const auto& args : refused) {
    const sim::OptionsResult result = ParseOptions(args);
    EXPECT_FALSE(result.ok) << args[0];
    EXPECT_FALSE(result.error.empty()) << args[0];
  }
}

TEST(SimOptions, NumbersCoverTheWholeClock) {
  std::uint32_t value = 0;
  EXPECT_TRUE(sim::ParseUnsigned32("4294967295", value));
  EXPECT_EQ(value, 4294967295u);
  EXPECT_TRUE(sim::ParseUnsigned32("0xfffffffe", value));
  EXPECT_EQ(value, 0xFFFFFFFEu);
  EXPECT_TRUE(sim::ParseUnsigned32("0", value));
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(sim::ParseUnsigned32("", value));
  EXPECT_FALSE(sim::ParseUnsigned32("+5", value));
  EXPECT_FALSE(sim::ParseUnsigned32("0xg", value));
}

}  // namespace
