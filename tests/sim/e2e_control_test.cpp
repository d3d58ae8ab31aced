// Whole runs of chompo-sim: quitting, the window's focus, the clock's wrap,
// and what the runner refuses.
#include <filesystem>

#include "e2e_support.h"

namespace e2e {
namespace {

TEST(SimEndToEnd, QuittingDuringPlayEndsWithCodeZeroAndKeepsTheBestScore) {
  SimWorkspace workspace({LongWalkStage()});
  // At 5600 ms both dots are eaten; the deadline only stops a run whose quit went wrong.
  // The quit, the best score stored before, and after.
  const std::tuple<const char*, std::int32_t, std::int32_t> cases[] = {{"5600 press ESCAPE\n", 5, 20},
                                                                       {"5600 press ESCAPE\n", 50000, 50000},
                                                                       {"5600 press F12\n", 5, 20},
                                                                       {"5600 close\n", 5, 20}};
  for (const auto& [quit, before, after] : cases) {
    SCOPED_TRACE(std::string(quit) + "over a best of " + std::to_string(before));
    workspace.WriteHighScore(before);
    const SimRun run = workspace.Run(std::string(kStartGame) + quit, {"--until", "30000"});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_FALSE(run.trace.empty());
    EXPECT_EQ(run.trace.back().Str("event") + run.trace.back().Str("code"), "exit0");
    EXPECT_TRUE(run.Elapsed(run.trace.back()) >= 5600 && run.Elapsed(run.trace.back()) < 5700);
    const TraceLine* lastFrame = FrameNear(run, 30000);
    ASSERT_NE(lastFrame, nullptr);
    ExpectFields(*lastFrame, {{"score", 20}, {"highScore", after}});
    EXPECT_EQ(workspace.ReadHighScore(), after);
  }
}

// The stage start screen shows for five seconds and the title waits half a
// minute; neither reads the window's messages, yet a close ends the run
// within a frame and keeps the best score.
TEST(SimEndToEnd, ClosingDuringAScreenThatWaitsEndsTheRunAtOnce) {
  SimWorkspace workspace({LongWalkStage()});
  const std::tuple<std::string, std::uint32_t, int> cases[] = {
      {std::string(kStartGame) + "2000 close\n", 2000, StageStart}, {"30000 close\n", 30000, Title}};
  for (const auto& [script, closeAt, screen] : cases) {
    SCOPED_TRACE(script);
    workspace.WriteHighScore(777);
    const SimRun run = workspace.Run(script, {"--until", "100000"});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_FALSE(run.trace.empty());
    EXPECT_EQ(run.trace.back().Str("event") + run.trace.back().Str("code"), "exit0");
    EXPECT_TRUE(run.Elapsed(run.trace.back()) >= closeAt && run.Elapsed(run.trace.back()) < closeAt + 20)
        << run.Elapsed(run.trace.back());
    ASSERT_FALSE(run.states.empty());
    EXPECT_EQ(run.states.back().to, screen) << "the run left the screen before it ended";
    EXPECT_EQ(workspace.ReadHighScore(), 777);
  }
}

TEST(SimEndToEnd, AnInactiveWindowRunsNoStepUntilItIsActivatedAgain) {
  SimWorkspace workspace({LongWalkStage()});
  const SimRun run =
      workspace.Run(std::string(kStartGame) + "6000 deactivate\n9000 activate\n",
                    {"--until", "9500", "--frames", workspace.framesDir(), "--frame-at", "6100,8900,9400"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  EXPECT_EQ(run.states.size(), 2u) << "only the start of the game changes the state";
  const TraceLine* before = FrameNear(run, 6002);
  const TraceLine* after = FrameNear(run, 6001, true);
  ASSERT_TRUE(before != nullptr && after != nullptr);
  EXPECT_GE(run.Elapsed(*before), 5980u);
  EXPECT_TRUE(run.Elapsed(*after) >= 9000 && run.Elapsed(*after) <= 9017)
      << "a play frame ran while inactive";
  // The game picks up where it stopped: one more pixel, the same dots.
  ExpectFields(*after, {{"player.x", before->Int("player.x") - 1},
                        {"dotCount", before->Int("dotCount")},
                        {"score", before->Int("score")}});

  // Nothing was presented while inactive; play shows again afterwards.
  const RgbImage frozenLate = workspace.Frame(8900);
  EXPECT_EQ(workspace.Frame(6100).rgb, frozenLate.rgb);
  EXPECT_NE(frozenLate.rgb, workspace.Frame(9400).rgb);
}

// A trace line with its clock readings made virtual ms since the run began.
std::string Normalised(const SimRun& run, const TraceLine& line) {
  std::string text;
  for (const auto& [path, value] : line.fields) {
    const bool time = path == "t" || path.ends_with("modeStart");
    text += path + "=" + (time ? std::to_string(run.Elapsed(line.Int(path))) : value) + " ";
  }
  return text;
}

TEST(SimEndToEnd, ARunAcrossTheClockWrapMatchesOneThatDoesNot) {
  SimWorkspace workspace({BusyStage()});
  const std::string script = std::string(kStartGame) + "7000 press UP\n7300 release UP\n";
  const SimRun plain = workspace.Run(script, {"--until", "20000"});
  // The clock passes 2^32 two seconds into play.
  const SimRun wrapping = workspace.Run(script, {"--until", "20000", "--clock-start", "0xFFFFE4A7"});
  ASSERT_EQ(plain.exitCode, 2) << plain.errors;
  ASSERT_EQ(wrapping.exitCode, 2) << wrapping.errors;

  bool wrapped = false;
  int ghostStates = 0;  // a bit for each ghost state seen
  for (const TraceLine& frame : wrapping.frames) {
    wrapped = wrapped || static_cast<std::uint32_t>(frame.Int("t")) < wrapping.clockStart;
    for (std::size_t g = 0; g < 4; ++g) {
      ghostStates |= 1 << frame.Int("ghosts." + std::to_string(g) + ".state");
    }
  }
  EXPECT_TRUE(wrapped) << "no frame came after the wrap";
  EXPECT_EQ(ghostStates & 0b1010, 0b1010) << "the stage was meant to turn a ghost blue and have it eaten";

  ASSERT_GT(plain.trace.size(), 300u);
  ASSERT_EQ(wrapping.trace.size(), plain.trace.size());
  for (std::size_t i = 0; i < plain.trace.size(); ++i) {
    ASSERT_EQ(Normalised(wrapping, wrapping.trace[i]), Normalised(plain, plain.trace[i]))
        << "trace line " << i + 1;
  }
}

TEST(SimEndToEnd, WhatTheRunnerCannotUseIsRefusedBeforeAnythingRuns) {
  SimWorkspace workspace({LongWalkStage()});
  workspace.WriteHighScore(1234);
  const SimRun run = workspace.Run("100 press SPACE\n200 presss SPACE\n", {"--until", "1000"});
  EXPECT_EQ(run.exitCode, 64);
  EXPECT_NE(run.errors.find("line 2"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("presss"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(workspace.root() + "/trace.jsonl")) << "the trace was started";
  EXPECT_EQ(workspace.ReadHighScore(), 1234);

  EXPECT_EQ(workspace.RunRaw({"--help"}).exitCode, 0);
  for (const std::string& refused :
       {std::string("--until=soon"), "--data=" + workspace.root() + "/missing"}) {
    const SimRun refusal = workspace.RunRaw({refused});
    EXPECT_EQ(refusal.exitCode, 64) << refused;
    EXPECT_NE(refusal.errors.find(refused.substr(refused.find('=') + 1)), std::string::npos)
        << refusal.errors;
  }
}

}  // namespace
}  // namespace e2e
