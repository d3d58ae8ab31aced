// Whole runs of chompo-sim: quitting, the window's focus, the clock's wrap,
// and what the runner refuses.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>

#include "e2e_support.h"
#include "support/files.h"

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
  // A folder as the script would run as an empty one.
  for (const std::string& refused : {std::string("--until=soon"), "--data=" + workspace.root() + "/missing",
                                     "--script=" + workspace.root()}) {
    const SimRun refusal = workspace.RunRaw({refused});
    EXPECT_EQ(refusal.exitCode, 64) << refused;
    EXPECT_NE(refusal.errors.find(refused.substr(refused.find('=') + 1)), std::string::npos)
        << refusal.errors;
  }
}

// Interrupting the runner ends the run the way the close button does: the
// best score is saved, the exit line written, and the status is 0.
TEST(SimEndToEnd, InterruptsEndTheRunAsClosingTheWindowDoes) {
  SimWorkspace workspace({LongWalkStage()});
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    workspace.WriteHighScore(5);
    // Both dots are eaten long before the trace holds 200 KB.
    const SimRun run =
        workspace.Run(kStartGame, {"--until", "4000000000"},
                      {.fileSizeLimit = std::nullopt, .signal = signal, .signalAfterBytes = 200000});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_FALSE(run.trace.empty());
    EXPECT_EQ(run.trace.back().Str("event") + run.trace.back().Str("code"), "exit0");
    EXPECT_EQ(workspace.ReadHighScore(), 20);
  }
}

// A run whose best score could not be saved ends with status 74, having
// said why, and leaves what stood there.
TEST(SimEndToEnd, ABestScoreThatCannotBeSavedEndsTheRunWithStatus74) {
  SimWorkspace workspace({LongWalkStage()});
  const std::string quit = std::string(kStartGame) + "5600 press ESCAPE\n";
  ASSERT_TRUE(support::WriteText(workspace.root() + "/quit.txt", quit));
  const std::vector<std::string> plain = {"--data", workspace.dataDir(), "--script",
                                          workspace.root() + "/quit.txt"};
  const struct {
    const char* what;
    const char* link;  // a symbolic link in place of the file, or a folder
    const char* reason;
  } cases[] = {{"a folder in its place", nullptr, "it is a folder"},
               {"a link into a folder that is not there", "gone/HighScore.sco", std::strerror(ENOENT)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(workspace.scorePath());
    if (c.link == nullptr) {
      std::filesystem::create_directory(workspace.scorePath());
    } else {
      std::filesystem::create_symlink(c.link, workspace.scorePath());
    }
    const SimRun run = workspace.RunRaw(plain);
    EXPECT_EQ(run.exitCode, 74) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_NE(run.errors.find(workspace.scorePath() + ": " + c.reason), std::string::npos) << run.errors;
    EXPECT_EQ(std::filesystem::is_directory(workspace.scorePath()), c.link == nullptr);
  }
  std::filesystem::remove_all(workspace.scorePath());
}

// The trace and the pictures are checked as they are written: a failure
// ends the run through the window's close with status 73, says why, and
// never leaves a picture cut short under its name.
TEST(SimEndToEnd, OutputThatCannotBeWrittenEndsTheRunWithStatus73) {
  SimWorkspace workspace({LongWalkStage()});
  ASSERT_TRUE(support::WriteText(workspace.root() + "/start.txt", kStartGame));
  const std::vector<std::string> base = {
      "--data", workspace.dataDir(), "--script", workspace.root() + "/start.txt", "--until", "60000"};
  const std::string trace = workspace.root() + "/trace.jsonl";
  const struct {
    const char* what;
    std::vector<std::string> extra;
    std::optional<std::uint64_t> limit;
    std::string message;
    std::int32_t best;  // saved by the close: 20 once both dots are eaten
  } cases[] = {
      {"the trace on the always-full device",
       {"--trace", "/dev/full"},
       std::nullopt,
       "cannot write the trace /dev/full: No space left on device",
       5},
      // Play starts at 5 s and its frames fill 100 KB within 4 s.
      {"the trace on a disk that fills up",
       {"--trace", trace},
       100000,
       "cannot write the trace " + trace + ": File too large",
       20},
      {"pictures on a disk that takes no whole picture",
       {"--frames", workspace.framesDir(), "--frame-every", "1000"},
       1000,
       "cannot write " + workspace.framesDir() + "/frame-00001000.png: File too large",
       5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    workspace.WriteHighScore(5);
    std::vector<std::string> args = base;
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const SimRun run = workspace.RunRaw(args, {.fileSizeLimit = c.limit});
    EXPECT_EQ(run.exitCode, 73) << run.errors;
    EXPECT_NE(run.errors.find("chompo-sim: " + c.message), std::string::npos) << run.errors;
    EXPECT_EQ(workspace.ReadHighScore(), c.best);
  }
  std::error_code error;
  EXPECT_EQ(std::filesystem::file_size(trace, error), 100000u) << "the trace stopped at the limit";
  EXPECT_TRUE(std::filesystem::is_empty(workspace.framesDir())) << "a picture or its part was left";
}

// Root writes past permissions, so this needs a plain user.
TEST(SimEndToEnd, FoldersWithoutWritePermissionEndTheRunWithTheirStatus) {
  if (::geteuid() == 0) GTEST_SKIP() << "run as root: permissions do not hold root back";
  SimWorkspace workspace({LongWalkStage()});
  std::filesystem::create_directory(workspace.framesDir());
  const auto readOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec;
  const std::string start = std::string(kStartGame) + "5600 press ESCAPE\n";
  // The best score's folder, then the pictures' folder.
  std::filesystem::permissions(workspace.dataDir(), readOnly);
  const SimRun noSave = workspace.Run(start, {"--until", "30000"});
  std::filesystem::permissions(workspace.dataDir(), std::filesystem::perms::owner_all);
  EXPECT_EQ(noSave.exitCode, 74) << noSave.errors;
  EXPECT_NE(noSave.errors.find("cannot save the best score in " + workspace.scorePath()), std::string::npos)
      << noSave.errors;
  std::filesystem::permissions(workspace.framesDir(), readOnly);
  const SimRun noPictures =
      workspace.Run(start, {"--until", "30000", "--frames", workspace.framesDir(), "--frame-at", "1000"});
  std::filesystem::permissions(workspace.framesDir(), std::filesystem::perms::owner_all);
  EXPECT_EQ(noPictures.exitCode, 73) << noPictures.errors;
  EXPECT_NE(noPictures.errors.find("cannot write " + workspace.framesDir() + "/frame-00001000.png"),
            std::string::npos)
      << noPictures.errors;
}

}  // namespace
}  // namespace e2e
