// The whole-game runs use every option in its "--name VALUE" spelling.
#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace {

using sim::ParseOptions;

TEST(SimOptions, TakesTheOtherSpellingRepeatsAndTheWholeClock) {
  const sim::OptionsResult result =
      ParseOptions({"--data=d", "--script=s", "--until=4294967295", "--clock-start=0xFFFFff00", "--trace=t",
                    "--frames=f", "--frame-at=30,10", "--frame-at=20"});
  ASSERT_TRUE(result.ok) << result.error;
  const sim::SimOptions& options = result.options;
  EXPECT_EQ(options.dataDir + options.scriptPath + options.tracePath + options.framesDir, "dstf");
  EXPECT_TRUE(options.hasUntil);
  EXPECT_EQ(options.untilMs, 4294967295u);
  EXPECT_EQ(options.clockStart, 0xFFFFFF00u);
  EXPECT_EQ(options.frameAt, (std::vector<std::uint32_t>{30, 10, 20}));
  EXPECT_TRUE(ParseOptions({}).options.dataDir.empty()) << "searched when the run starts";
  EXPECT_EQ(ParseOptions({"--record=r", "--script", "s"}).options.recordPath, "r");
  EXPECT_EQ(ParseOptions({"--demo", "d", "--until", "5", "--trace", "t"}).options.demoPath, "d");
}

TEST(SimOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> refused = {{"--speed", "2"},
                                                         {"stray"},
                                                         {"--until"},
                                                         {"--until", "-1"},
                                                         {"--until", "+5"},
                                                         {"--until", "12ms"},
                                                         {"--until", "4294967296"},
                                                         {"--until="},
                                                         {"--clock-start", "0x"},
                                                         {"--clock-start", "0x100000000"},
                                                         {"--clock-start", "0xg"},
                                                         {"--frame-every", "0", "--frames", "f"},
                                                         {"--frame-at", "10"},
                                                         {"--frame-at", "10,,20", "--frames", "f"},
                                                         {"--frames", "f"},
                                                         {"--data="},
                                                         // Echoed only in part.
                                                         {"--" + std::string(1 << 20, 'x')},
                                                         {"--until", std::string(1 << 20, '9')},
                                                         {"--record="},
                                                         {"--demo"},
                                                         {"--demo", "d", "--script", "s"},
                                                         {"--demo", "d", "--clock-start", "0"},
                                                         {"--record", "r", "--demo", "d"}};
  for (const auto& args : refused) {
    const sim::OptionsResult result = ParseOptions(args);
    EXPECT_FALSE(result.ok) << args[0].substr(0, 20);
    EXPECT_FALSE(result.error.empty()) << args[0].substr(0, 20);
    EXPECT_LT(result.error.size(), 200u) << args[0].substr(0, 20);
  }
}

}  // namespace
