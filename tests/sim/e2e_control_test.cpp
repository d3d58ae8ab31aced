// Whole runs of chompo-sim: quitting, the window's focus, the clock's wrap,
// and what the runner refuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_stages.h"
#include "e2e_support.h"

namespace e2e {
namespace {

using testsupport::SimWorkspace;

constexpr const char* kStartGame = "100 press SPACE\n140 release SPACE\n";

TEST(SimEndToEnd, QuittingDuringPlayEndsWithCodeZeroAndKeepsTheBestScore) {
  SimWorkspace workspace({LongWalkStage()});
  const struct {
    const char* name;
    std::string quit;  // at 5600 ms, both dots eaten by then
    std::int32_t storedBefore;
    std::int32_t storedAfter;
  } cases[] = {
      {"Esc over a lower best", "5600 press ESCAPE\n", 5, 20},
      {"Esc under a higher best", "5600 press ESCAPE\n", 50000, 50000},
      {"F12", "5600 press F12\n", 5, 20},
      {"closing the window", "5600 close\n", 5, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    workspace.WriteHighScore(c.storedBefore);
    // The deadline only stops a run whose quit went wrong.
    const SimRun run = workspace.Run(std::string(kStartGame) + c.quit, {"--until", "30000"});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_FALSE(run.trace.empty());
    const JsonValue& last = run.trace.back();
    EXPECT_EQ(last["event"].Str(), "exit");
    EXPECT_EQ(last["code"].Int(), 0);
    EXPECT_GE(run.Elapsed(last), 5600u);
    EXPECT_LT(run.Elapsed(last), 5700u);
    const JsonValue* lastFrame = LastFrameBefore(run, 30000);
    ASSERT_NE(lastFrame, nullptr);
    EXPECT_EQ((*lastFrame)["score"].Int(), 20);
    EXPECT_EQ((*lastFrame)["highScore"].Int(), c.storedAfter);
    EXPECT_EQ(workspace.ReadHighScore(), c.storedAfter);
  }
}

TEST(SimEndToEnd, AnInactiveWindowRunsNoStepUntilItIsActivatedAgain) {
  SimWorkspace workspace({LongWalkStage()});
  E2E_NEEDS_PICTURES(workspace);
  const SimRun run = workspace.Run(std::string(kStartGame) + "6000 deactivate\n9000 activate\n",
                                   {"--until", "9500", "--frames", workspace.framesDir(), "--frame-at",
                                    "6100,8900,9400"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;

  const JsonValue* before = nullptr;
  const JsonValue* after = nullptr;
  for (const JsonValue* frame : run.Frames()) {
    const std::uint32_t t = run.Elapsed(*frame);
    EXPECT_FALSE(t > 6001 && t < 9000) << "a play frame ran at " << t << " ms while inactive";
    if (t <= 6001) {
      before = frame;
    } else if (after == nullptr) {
      after = frame;
    }
  }
  ASSERT_NE(before, nullptr);
  ASSERT_NE(after, nullptr);
  EXPECT_GE(run.Elapsed(*before), 5980u);
  EXPECT_LE(run.Elapsed(*after), 9017u);
  // The game picks up where it stopped: one more pixel, the same dots.
  EXPECT_EQ((*after)["player"]["x"].Int(), (*before)["player"]["x"].Int() - 1);
  EXPECT_EQ((*after)["dotCount"].Int(), (*before)["dotCount"].Int());
  EXPECT_EQ((*after)["score"].Int(), (*before)["score"].Int());
  EXPECT_EQ(run.States().size(), 2u) << "only the start of the game changes the state";

  // Nothing was presented while inactive; play shows again afterwards.
  const RgbImage frozenEarly = workspace.Frame(6100);
  const RgbImage frozenLate = workspace.Frame(8900);
  const RgbImage resumed = workspace.Frame(9400);
  EXPECT_EQ(frozenEarly.rgb, frozenLate.rgb);
  EXPECT_NE(frozenLate.rgb, resumed.rgb);
}

// Clock readings as virtual ms since the run began, so that runs with
// different clock starts can be compared.
std::vector<std::string> Normalised(const SimRun& run) {
  std::vector<std::string> lines;
  for (const JsonValue& line : run.trace) {
    std::string text = line["event"].Str() + " t=" + std::to_string(run.Elapsed(line));
    for (const auto& [key, value] : line.Members()) {
      if (key == "t" || key == "event" || key == "ghosts" || key == "player" || key == "keys") {
        continue;
      }
      text += " " + key + "=" + std::to_string(value.Int());
    }
    if (line["event"].Str() == "frame") {
      text += line["keys"].IsNull() ? " keys=null" : " keys=" + std::to_string(line["keys"]["left"].Int()) +
                                                          std::to_string(line["keys"]["right"].Int()) +
                                                          std::to_string(line["keys"]["up"].Int()) +
                                                          std::to_string(line["keys"]["down"].Int()) +
                                                          std::to_string(line["keys"]["escape"].Int());
      const JsonValue& player = line["player"];
      text += " player=" + std::to_string(player["x"].Int()) + "," + std::to_string(player["y"].Int()) + "," +
              std::to_string(player["direction"].Int()) + "," + std::to_string(player["state"].Int());
      for (std::size_t g = 0; g < 4; ++g) {
        const JsonValue& ghost = line["ghosts"][g];
        text += " ghost=" + std::to_string(ghost["x"].Int()) + "," + std::to_string(ghost["y"].Int()) + "," +
                std::to_string(ghost["direction"].Int()) + "," + std::to_string(ghost["state"].Int()) + "," +
                std::to_string(run.Elapsed(ghost["modeStart"].Int())) + "," +
                std::to_string(ghost["modeDuration"].Int());
      }
    }
    lines.push_back(text);
  }
  return lines;
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
  bool blue = false;
  bool eyes = false;
  for (const JsonValue* frame : wrapping.Frames()) {
    wrapped = wrapped || static_cast<std::uint32_t>((*frame)["t"].Int()) < wrapping.clockStart;
    for (std::size_t g = 0; g < 4; ++g) {
      blue = blue || (*frame)["ghosts"][g]["state"].Int() == 1;
      eyes = eyes || (*frame)["ghosts"][g]["state"].Int() == 3;
    }
  }
  EXPECT_TRUE(wrapped) << "no frame came after the wrap";
  EXPECT_TRUE(blue) << "the stage was meant to turn the ghosts blue";
  EXPECT_TRUE(eyes) << "the stage was meant to have a ghost eaten";

  const std::vector<std::string> expected = Normalised(plain);
  const std::vector<std::string> seen = Normalised(wrapping);
  ASSERT_GT(expected.size(), 300u);
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(seen[i], expected[i]) << "first difference at trace line " << i + 1;
  }
}

TEST(SimEndToEnd, AMalformedScriptIsRefusedBeforeAnythingRuns) {
  SimWorkspace workspace({LongWalkStage()});
  workspace.WriteHighScore(1234);
  const SimRun run = workspace.Run("100 press SPACE\n200 presss SPACE\n", {"--until", "1000"});
  EXPECT_EQ(run.exitCode, 64);
  EXPECT_NE(run.errors.find("line 2"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("presss"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(workspace.root() + "/trace.jsonl")) << "the trace was started";
  EXPECT_EQ(workspace.ReadHighScore(), 1234);

  std::string errors;
  EXPECT_EQ(testsupport::RunChompoSimRaw({"--help"}, errors), 0);
  EXPECT_EQ(testsupport::RunChompoSimRaw({"--until", "soon"}, errors), 64);
  EXPECT_NE(errors.find("--until"), std::string::npos) << errors;
  EXPECT_EQ(testsupport::RunChompoSimRaw({"--data", workspace.root() + "/missing"}, errors), 64);
  EXPECT_NE(errors.find("missing"), std::string::npos) << errors;
}

TEST(SimEndToEnd, PicturesAreWrittenOnlyOnceSomethingIsOnScreen) {
  SimWorkspace workspace({LongWalkStage()});
  const SimRun run = workspace.Run("", {"--until", "300", "--frames", workspace.framesDir(), "--frame-at",
                                        "0,250,400"});
  EXPECT_EQ(run.exitCode, 2) << run.errors;
  EXPECT_NE(run.errors.find("nothing presented yet at 0 ms"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(workspace.framesDir() + "/frame-00000000.png"));
  EXPECT_TRUE(std::filesystem::exists(workspace.framesDir() + "/frame-00000250.png"));
  EXPECT_FALSE(std::filesystem::exists(workspace.framesDir() + "/frame-00000400.png")) << "past the end of the run";
  const RgbImage picture = workspace.Frame(250);
  EXPECT_EQ(picture.width, 320);
  EXPECT_EQ(picture.height, 240);
}

}  // namespace
}  // namespace e2e
