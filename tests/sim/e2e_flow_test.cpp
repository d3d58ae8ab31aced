// Whole runs of chompo-sim through the game's screens and stages.
#include <filesystem>

#include "e2e_support.h"

namespace e2e {
namespace {

using Pairs = std::vector<std::pair<int, int>>;

TEST(SimEndToEnd, WithoutInputTheAttractAndTitleScreensTakeTurns) {
  SimWorkspace workspace(TenQuickStages());
  // No picture can be written at 0 ms, before anything was presented, nor
  // after the end of the run.
  const SimRun run = workspace.Run(
      "", {"--until", "100000", "--frames", workspace.framesDir(), "--frame-at", "0,750,30000,100500"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  ASSERT_FALSE(run.trace.empty());
  EXPECT_EQ(run.trace.back().Str("event") + run.trace.back().Str("code"), "exit2");
  EXPECT_EQ(run.Elapsed(run.trace.back()), 100000u);
  EXPECT_TRUE(run.frames.empty()) << "nobody pressed Space, yet a play frame ran";

  ASSERT_GE(run.states.size(), 4u) << "expected two cycles of attract and title in 100 s";
  for (std::size_t i = 0; i < run.states.size(); ++i) {
    const bool leavesAttract = i % 2 == 0;
    const std::uint32_t length = run.states[i].time - (i == 0 ? 0 : run.states[i - 1].time);
    EXPECT_EQ(run.states[i].from, leavesAttract ? Attract : Title) << i;
    EXPECT_EQ(run.states[i].to, leavesAttract ? Title : Attract) << i;
    // The reveal alone takes over 15300 ms, and every visit runs the same.
    EXPECT_TRUE(leavesAttract ? length > 15300 && length < 25000 && length == run.states[0].time
                              : length > 30000 && length <= 30010)
        << "visit " << i << " lasted " << length << " ms";
  }

  EXPECT_NE(run.errors.find("nothing presented yet at 0 ms"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(workspace.framesDir() + "/frame-00000000.png"));
  EXPECT_FALSE(std::filesystem::exists(workspace.framesDir() + "/frame-00100500.png"));
  const RgbImage attract = workspace.Frame(750);
  EXPECT_EQ(std::pair(attract.width, attract.height), std::pair(320, 240));
  EXPECT_GT(attract.Count(100, 15, 260, 31, IsWhite), 20) << "no heading on the attract screen";
  ASSERT_TRUE(run.states[0].time < 30000 && run.states[1].time > 30000) << "30 s in is not the title";
  EXPECT_GT(workspace.Frame(30000).Count(0, 50, 320, 190, IsLit), 500) << "no title picture";
}

TEST(SimEndToEnd, SpaceShowsTheStageStartForFiveSecondsThenPlaysEvery17Ms) {
  SimWorkspace workspace({LongWalkStage()});
  const SimRun run = workspace.Run(
      kStartGame, {"--until", "8000", "--frames", workspace.framesDir(), "--frame-at", "2000,7000"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  ASSERT_EQ(Transitions(run, 9), (Pairs{{Attract, StageStart}, {StageStart, Play}}));
  EXPECT_TRUE(run.states[0].time >= 100 && run.states[0].time <= 110) << run.states[0].time;
  const std::uint32_t startShown = run.states[1].time - run.states[0].time;
  EXPECT_TRUE(startShown >= 5000 && startShown <= 5010) << startShown;

  ASSERT_GT(run.frames.size(), 150u);
  const std::uint32_t firstFrame = run.Elapsed(run.frames[0]);
  EXPECT_TRUE(firstFrame >= run.states[1].time && firstFrame <= run.states[1].time + 17) << firstFrame;
  for (std::size_t i = 0; i < run.frames.size(); ++i) {
    // One pixel further left each frame from the start cell, keys read.
    SCOPED_TRACE(i);
    EXPECT_EQ(run.Elapsed(run.frames[i]), firstFrame + 17 * i);
    ExpectFields(run.frames[i], {{"state", Play},
                                 {"stage", 1},
                                 {"lives", 2},
                                 {"keys.left", 0},
                                 {"player.x", kLongWalkStartX - 1 - static_cast<std::int64_t>(i)}});
  }
  ExpectFields(run.frames[0], {{"dotCount", 3}, {"score", 0}});
  ExpectFields(run.frames.back(), {{"dotCount", 1}, {"score", 20}});

  // The start screen: "START!!" in blue at the top right, the corridor dark
  // and its dots shown.
  const RgbImage start = workspace.Frame(2000);
  EXPECT_GT(start.Count(265, 0, 320, 16, IsPureBlue), 20);
  EXPECT_EQ(start.Count(13, 13, 13 * 15, 26, IsLit), 0);
  EXPECT_GT(start.Count(13 * 16, 13, 13 * 17, 26, IsLit), 0);
  // In play: the red "HIGH" instead, and the player where the trace says.
  const RgbImage play = workspace.Frame(7000);
  EXPECT_EQ(play.Count(265, 0, 320, 16, IsPureBlue), 0);
  EXPECT_GT(play.Count(270, 0, 302, 16, IsPureRed), 10);
  const TraceLine* drawn = FrameNear(run, 7000);
  ASSERT_NE(drawn, nullptr);
  const int x = static_cast<int>(drawn->Int("player.x"));
  EXPECT_GT(play.Count(x, 13, x + 13, 26, IsLit), 10);
  EXPECT_EQ(play.Count(13, 13, x - 1, 26, IsLit), 0);
}

TEST(SimEndToEnd, AFullGamePlaysAllTenStagesWithItsCutScenesAndStartsAfresh) {
  SimWorkspace workspace(TenQuickStages());
  workspace.WriteHighScore(0);
  const SimRun run = workspace.Run(SpaceTaps(100, 130000, 1000), {"--until", "130000"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  Pairs expected = {{Attract, StageStart}};
  for (int stage = 1; stage <= 10; ++stage) {
    const bool cutScene = stage == 3 || stage == 6 || stage == 10;
    expected.insert(expected.end(), {{StageStart, Play}, {Play, StageClear}});
    if (cutScene) {
      expected.push_back({StageClear, Intermission});
    }
    expected.push_back({cutScene ? Intermission : StageClear, stage == 10 ? Credits : StageStart});
  }
  expected.insert(expected.end(), {{Credits, Attract}, {Attract, StageStart}, {StageStart, Play}});
  ASSERT_EQ(Transitions(run, expected.size()), expected);

  // Every stage record was read: its number and its own dot count.
  const TraceLine* fresh = FrameNear(run, run.states[expected.size() - 3].time, true);
  ASSERT_NE(fresh, nullptr) << "the fresh game never reached play";
  int stage = 0;
  int score = 0;
  for (const TraceLine& frame : run.frames) {
    if (&frame == fresh) {
      break;
    }
    if (frame.Int("state") == Play && frame.Int("stage") != stage) {
      ++stage;
      ExpectFields(frame, {{"stage", stage}, {"dotCount", QuickStageDots(stage)}, {"lives", 2}});
      score += 10 * QuickStageDots(stage);
    }
    if (frame.Int("state") == StageClear) {
      ExpectFields(frame, {{"stage", stage + 1}, {"dotCount", 0}, {"score", score}});
    }
  }
  EXPECT_EQ(stage * 1000 + score, 10200) << "stages played and score";
  // The credits' Space stored the best score and read it back; the new game
  // starts from stage 1 with 2 spare lives and no score.
  ExpectFields(*fresh, {{"stage", 1},
                        {"lives", 2},
                        {"score", 0},
                        {"extraLifeBase", 0},
                        {"highScore", 200},
                        {"dotCount", QuickStageDots(1)}});
  EXPECT_EQ(workspace.ReadHighScore(), 200);
}

TEST(SimEndToEnd, LosingEveryLifeEndsTheGameAndTheNextOneStartsAtStageOne) {
  SimWorkspace workspace({AmbushStage()});
  workspace.WriteHighScore(5);
  const SimRun run =
      workspace.Run(SpaceTaps(100, 40000, 1000),
                    {"--until", "40000", "--frames", workspace.framesDir(), "--frame-every", "1000"});
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  const Pairs expected = {{Attract, StageStart}, {StageStart, Play}, {Play, StageStart}, {StageStart, Play},
                          {Play, StageStart},    {StageStart, Play}, {Play, GameOver},   {GameOver, Title},
                          {Title, StageStart},   {StageStart, Play}};
  ASSERT_EQ(Transitions(run, expected.size()), expected);

  // The frames that ended in a catch did not get to read the keys. Both
  // dots are eaten in the first life.
  std::vector<TraceLine> catches = run.frames;
  std::erase_if(catches, [](const TraceLine& frame) { return frame.Str("keys") != "null"; });
  ASSERT_GE(catches.size(), 3u);
  ExpectFields(catches[0], {{"lives", 1}, {"state", StageStart}, {"player.state", 2}});
  ExpectFields(catches[1], {{"lives", 0}, {"state", StageStart}});
  ExpectFields(catches[2],
               {{"lives", -1}, {"state", GameOver}, {"score", 20}, {"dotCount", 1}, {"player.state", 4}});

  EXPECT_GE(run.states[7].time - run.states[6].time, 5000u);
  const TraceLine* first = FrameNear(run, run.states[9].time, true);
  ASSERT_NE(first, nullptr);
  // A new game starts the stage with all its dots.
  ExpectFields(*first, {{"stage", 1}, {"lives", 2}, {"score", 0}, {"highScore", 20}, {"dotCount", 3}});
  EXPECT_EQ(workspace.ReadHighScore(), 20)
      << "the game over saved the best score before --until ended the run";

  // "GAME OVER" alone on a cleared screen.
  const RgbImage over = workspace.Frame((run.states[6].time / 1000 + 2) * 1000);
  EXPECT_GT(over.Count(124, 100, 196, 116, IsWhite), 30);
  EXPECT_EQ(over.Count(0, 0, 320, 100, IsLit) + over.Count(0, 116, 320, 240, IsLit), 0);
}

}  // namespace
}  // namespace e2e
