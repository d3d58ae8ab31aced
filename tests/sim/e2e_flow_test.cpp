// Whole runs of chompo-sim through the game's screens and stages.
#include <gtest/gtest.h>

#include "e2e_stages.h"
#include "e2e_support.h"

namespace e2e {
namespace {

using testsupport::SimWorkspace;

TEST(SimEndToEnd, WithoutInputTheAttractAndTitleScreensTakeTurns) {
  SimWorkspace workspace(TenQuickStages());
  E2E_NEEDS_PICTURES(workspace);
  // The first title visit surely spans 25 s to 45 s (the attract screen's
  // length is checked below); pictures every 750 ms there catch the blink.
  std::string times = "750,2250";
  for (std::uint32_t t = 25000; t <= 45000; t += 750) {
    times += "," + std::to_string(t);
  }
  const SimRun run =
      workspace.Run("", {"--until", "100000", "--frames", workspace.framesDir(), "--frame-at", times}, 280);
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  ASSERT_FALSE(run.trace.empty());
  EXPECT_EQ(run.trace.back()["event"].Str(), "exit");
  EXPECT_EQ(run.trace.back()["code"].Int(), 2);
  EXPECT_EQ(run.Elapsed(run.trace.back()), 100000u);
  EXPECT_TRUE(run.Frames().empty()) << "nobody pressed Space, yet a play frame ran";

  const std::vector<StateChange> states = run.States();
  ASSERT_GE(states.size(), 4u) << "expected two cycles of attract and title in 100 s";
  std::uint32_t visitStart = 0;
  std::uint32_t attractLength = 0;
  for (std::size_t i = 0; i < states.size(); ++i) {
    const bool leavesAttract = i % 2 == 0;
    EXPECT_EQ(states[i].from, leavesAttract ? Attract : Title) << i;
    EXPECT_EQ(states[i].to, leavesAttract ? Title : Attract) << i;
    const std::uint32_t length = states[i].time - visitStart;
    if (leavesAttract) {
      // The reveal alone takes over 15300 ms; every visit runs the same.
      EXPECT_GT(length, 15300u) << i;
      EXPECT_LT(length, 25000u) << i;
      if (attractLength == 0) {
        attractLength = length;
      }
      EXPECT_EQ(length, attractLength) << i;
    } else {
      EXPECT_GT(length, 30000u) << i;
      EXPECT_LE(length, 30010u) << i;
    }
    visitStart = states[i].time;
  }

  // The attract screen's heading from the first pass, ghost 0 from 1500 ms.
  const RgbImage early = workspace.Frame(750);
  const RgbImage later = workspace.Frame(2250);
  EXPECT_GT(early.Count(100, 15, 260, 31, IsWhite), 20);
  EXPECT_EQ(early.Count(60, 36, 100, 56, IsLit), 0);
  EXPECT_GT(later.Count(77, 40, 90, 53, IsLit), 10);

  // On the title the prompt blinks: shown in some pictures, hidden in others.
  int promptShown = 0;
  int promptHidden = 0;
  ASSERT_LT(states[0].time, 25000u);
  ASSERT_GT(states[1].time, 45000u);
  for (std::uint32_t t = 25000; t <= 45000; t += 750) {
    const RgbImage title = workspace.Frame(t);
    (title.Count(100, 200, 220, 216, IsWhite) > 20 ? promptShown : promptHidden) += 1;
  }
  EXPECT_GT(promptShown, 5);
  EXPECT_GT(promptHidden, 5);
  EXPECT_GT(workspace.Frame(25000).Count(0, 50, 320, 190, IsLit), 500) << "no title picture";
}

TEST(SimEndToEnd, SpaceShowsTheStageStartForFiveSecondsThenPlaysEvery17Ms) {
  SimWorkspace workspace({LongWalkStage()});
  E2E_NEEDS_PICTURES(workspace);
  const SimRun run = workspace.Run("100 press SPACE\n140 release SPACE\n",
                                   {"--until", "8000", "--frames", workspace.framesDir(), "--frame-at", "2000,7000"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;

  const std::vector<StateChange> states = run.States();
  ASSERT_EQ(states.size(), 2u);
  EXPECT_EQ(states[0].from, Attract);
  EXPECT_EQ(states[0].to, StageStart);
  EXPECT_GE(states[0].time, 100u);
  EXPECT_LE(states[0].time, 110u);
  EXPECT_EQ(states[1].from, StageStart);
  EXPECT_EQ(states[1].to, Play);
  EXPECT_GE(states[1].time - states[0].time, 5000u);
  EXPECT_LE(states[1].time - states[0].time, 5010u);

  const std::vector<const JsonValue*> frames = run.Frames();
  ASSERT_GT(frames.size(), 150u);
  EXPECT_GE(run.Elapsed(*frames[0]), states[1].time);
  EXPECT_LE(run.Elapsed(*frames[0]), states[1].time + 17);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const JsonValue& frame = *frames[i];
    if (i > 0) {
      EXPECT_EQ(frame["t"].Int() - (*frames[i - 1])["t"].Int(), 17) << i;
    }
    EXPECT_EQ(frame["state"].Int(), Play);
    EXPECT_EQ(frame["stage"].Int(), 1);
    EXPECT_EQ(frame["lives"].Int(), 2);
    EXPECT_EQ(frame["keys"]["left"].Int(), 0);
    EXPECT_FALSE(frame["keys"].IsNull());
    // One pixel left per frame, from the start cell.
    EXPECT_EQ(frame["player"]["x"].Int(), kLongWalkStartX - 1 - static_cast<std::int64_t>(i)) << i;
  }
  EXPECT_EQ((*frames[0])["dotCount"].Int(), 3);
  EXPECT_EQ((*frames[0])["score"].Int(), 0);
  EXPECT_EQ(frames.back()->operator[]("score").Int(), 20);
  EXPECT_EQ(frames.back()->operator[]("dotCount").Int(), 1);

  // The start screen: "START!!" in blue at the top right, walls drawn, the
  // corridor dark and its dots shown.
  const RgbImage start = workspace.Frame(2000);
  EXPECT_GT(start.Count(265, 0, 320, 16, IsPureBlue), 20);
  EXPECT_GT(start.Count(0, 0, 13, 13, IsLit), 0);
  EXPECT_EQ(start.Count(13, 13, 13 * 15, 26, IsLit), 0);
  EXPECT_GT(start.Count(13 * 16, 13, 13 * 17, 26, IsLit), 0);

  // In play: the score column's red "HIGH", and the player where the trace
  // says it was drawn.
  const RgbImage play = workspace.Frame(7000);
  EXPECT_EQ(play.Count(265, 0, 320, 16, IsPureBlue), 0);
  EXPECT_GT(play.Count(270, 0, 302, 16, IsPureRed), 10);
  const JsonValue* drawn = LastFrameBefore(run, 7000);
  ASSERT_NE(drawn, nullptr);
  const int x = static_cast<int>((*drawn)["player"]["x"].Int());
  EXPECT_GT(play.Count(x, 13, x + 13, 26, IsLit), 10);
  EXPECT_EQ(play.Count(13, 13, x - 1, 26, IsLit), 0);
}

TEST(SimEndToEnd, AFullGamePlaysAllTenStagesWithItsCutScenesAndStartsAfresh) {
  SimWorkspace workspace(TenQuickStages());
  workspace.WriteHighScore(0);
  const SimRun run = workspace.Run(SpaceTaps(100, 130000, 1000), {"--until", "130000"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;

  std::vector<std::pair<int, int>> expected = {{Attract, StageStart}};
  for (int stage = 1; stage <= 10; ++stage) {
    expected.insert(expected.end(), {{StageStart, Play}, {Play, StageClear}});
    if (stage == 3 || stage == 6) {
      expected.insert(expected.end(), {{StageClear, Intermission}, {Intermission, StageStart}});
    } else if (stage == 10) {
      expected.insert(expected.end(), {{StageClear, Intermission}, {Intermission, Credits}});
    } else {
      expected.push_back({StageClear, StageStart});
    }
  }
  expected.insert(expected.end(), {{Credits, Attract}, {Attract, StageStart}, {StageStart, Play}});
  std::vector<std::pair<int, int>> seen = Transitions(run);
  ASSERT_GE(seen.size(), expected.size());
  seen.resize(expected.size());
  EXPECT_EQ(seen, expected);

  // Every stage record was read: its number and its own dot count.
  const std::vector<StateChange> states = run.States();
  const std::uint32_t freshStart = states[expected.size() - 3].time;
  int stage = 0;
  int totalDots = 0;
  const JsonValue* fresh = nullptr;
  for (const JsonValue* line : run.Frames()) {
    const JsonValue& frame = *line;
    if (run.Elapsed(frame) > freshStart) {
      fresh = line;
      break;
    }
    if (frame["state"].Int() == Play && frame["stage"].Int() != stage) {
      ++stage;
      ASSERT_EQ(frame["stage"].Int(), stage);
      EXPECT_EQ(frame["dotCount"].Int(), QuickStageDots(stage)) << "stage " << stage;
      EXPECT_EQ(frame["lives"].Int(), 2);
      totalDots += QuickStageDots(stage);
    }
    if (frame["state"].Int() == StageClear) {
      EXPECT_EQ(frame["stage"].Int(), stage + 1);
      EXPECT_EQ(frame["dotCount"].Int(), 0);
      EXPECT_EQ(frame["score"].Int(), totalDots * 10);
    }
  }
  EXPECT_EQ(stage, 10);
  const int finalScore = totalDots * 10;
  EXPECT_EQ(finalScore, 200);

  // The credits' Space wrote the best score and read it back; the new game
  // starts from stage 1 with 2 spare lives and no score.
  ASSERT_NE(fresh, nullptr) << "the fresh game never reached play";
  EXPECT_EQ((*fresh)["stage"].Int(), 1);
  EXPECT_EQ((*fresh)["lives"].Int(), 2);
  EXPECT_EQ((*fresh)["score"].Int(), 0);
  EXPECT_EQ((*fresh)["extraLifeBase"].Int(), 0);
  EXPECT_EQ((*fresh)["highScore"].Int(), finalScore);
  EXPECT_EQ((*fresh)["dotCount"].Int(), QuickStageDots(1));
  EXPECT_EQ(workspace.ReadHighScore(), finalScore);
}

TEST(SimEndToEnd, LosingEveryLifeEndsTheGameAndTheNextOneStartsAtStageOne) {
  SimWorkspace workspace({AmbushStage()});
  E2E_NEEDS_PICTURES(workspace);
  const SimRun run = workspace.Run(SpaceTaps(100, 40000, 1000), {"--until", "40000", "--frames",
                                                                  workspace.framesDir(), "--frame-every", "1000"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;

  const std::vector<std::pair<int, int>> expected = {
      {Attract, StageStart}, {StageStart, Play},    {Play, StageStart}, {StageStart, Play},
      {Play, StageStart},    {StageStart, Play},    {Play, GameOver},   {GameOver, Title},
      {Title, StageStart},   {StageStart, Play},
  };
  std::vector<std::pair<int, int>> seen = Transitions(run);
  ASSERT_GE(seen.size(), expected.size());
  seen.resize(expected.size());
  ASSERT_EQ(seen, expected);

  // The frames that ended in a catch did not get to read the keys.
  std::vector<const JsonValue*> catches;
  for (const JsonValue* frame : run.Frames()) {
    if ((*frame)["keys"].IsNull()) {
      catches.push_back(frame);
    }
  }
  ASSERT_GE(catches.size(), 3u);
  EXPECT_EQ((*catches[0])["lives"].Int(), 1);
  EXPECT_EQ((*catches[0])["state"].Int(), StageStart);
  EXPECT_EQ((*catches[0])["player"]["state"].Int(), 2);
  EXPECT_EQ((*catches[1])["lives"].Int(), 0);
  EXPECT_EQ((*catches[2])["lives"].Int(), -1);
  EXPECT_EQ((*catches[2])["state"].Int(), GameOver);
  EXPECT_EQ((*catches[2])["player"]["state"].Int(), 4);
  EXPECT_EQ((*catches[2])["score"].Int(), 20) << "both dots are eaten in the first life";
  EXPECT_EQ((*catches[2])["dotCount"].Int(), 1);

  const std::vector<StateChange> states = run.States();
  const std::uint32_t gameOverAt = states[6].time;
  EXPECT_GE(states[7].time - gameOverAt, 5000u);
  const JsonValue* first = nullptr;
  for (const JsonValue* frame : run.Frames()) {
    if (run.Elapsed(*frame) > states[9].time) {
      first = frame;
      break;
    }
  }
  ASSERT_NE(first, nullptr);
  EXPECT_EQ((*first)["stage"].Int(), 1);
  EXPECT_EQ((*first)["lives"].Int(), 2);
  EXPECT_EQ((*first)["score"].Int(), 0);
  EXPECT_EQ((*first)["highScore"].Int(), 20);
  EXPECT_EQ((*first)["dotCount"].Int(), 3) << "a new game starts the stage with all its dots";

  // "GAME OVER" alone on a cleared screen.
  const std::uint32_t shot = (gameOverAt / 1000 + 2) * 1000;
  const RgbImage over = workspace.Frame(shot);
  EXPECT_GT(over.Count(124, 100, 196, 116, IsWhite), 30);
  EXPECT_EQ(over.Count(0, 0, 320, 100, IsLit), 0);
  EXPECT_EQ(over.Count(0, 116, 320, 240, IsLit), 0);
}

}  // namespace
}  // namespace e2e
