// Whole runs of the program on the headless back end: start-up, the main
// loop and its decisions, the state table, the quit sequence and the close
// button.
#include <functional>

#include "app/shell.h"
#include "game_fixture.h"
#include "platform/backend.h"

namespace {

using gametest::Bytes;
using Kind = platform::ScriptEvent::Kind;

struct Seen {
  std::int32_t state, stage, lives, score, intermission;
};
std::vector<Seen> seen;
std::function<void(std::int32_t)> onState;
std::function<void()> onFrame;

class RunTest : public gametest::GameTest {
 protected:
  RunTest() {
    SetGameState(Attract);
    seen.clear();
    onState = [](std::int32_t) {};
    onFrame = [] {};
    gameStateWatcher = [](std::int32_t, std::int32_t to) {
      seen.push_back({to, stageNumber, lives, score, intermissionCount});
      onState(to);
    };
    playFrameWatcher = [](std::uint32_t, const FrameKeys&) { onFrame(); };
    backend().SetDeadline(10 * 60 * 1000, [this] {
      ranAway_ = true;
      PostQuitMessage(99);
    });
    backend().AddEvent({100, Kind::Press, VK_SPACE});  // starts a game; stays held
  }
  int Run() {
    const int code = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
    EXPECT_FALSE(ranAway_) << "the run did not end by itself";
    return code;
  }
  static std::vector<std::int32_t> States() {
    std::vector<std::int32_t> states;
    for (const Seen& s : seen) {
      states.push_back(s.state);
    }
    return states;
  }
  // Stages with their dots on row 1, where the player starts at the first
  // column given; the ghosts wait in a closed box (with a dot of its own, so
  // the stage never ends) unless ghost 0 is asked to start on row 1 too.
  static void WriteStages(const std::vector<std::vector<int>>& dotColumns, std::int32_t ghostColumn = 0,
                          char boxDot = 'o') {
    std::vector<gametest::MazeText> stages;
    std::vector<gametest::Starts> starts;
    for (const auto& columns : dotColumns) {
      gametest::MazeText text = gametest::Walled();
      text[14] = text[16] = "#           ########";
      text[15] = "#           # " + std::string(5, ' ') + "#";
      text[15][13] = boxDot;
      for (int column : columns) {
        text[1][column] = '.';
      }
      stages.push_back(text);
      starts.push_back({{{columns[0], 1}, {ghostColumn != 0 ? ghostColumn : 14, ghostColumn != 0 ? 1 : 15},
                         {15, 15}, {16, 15}, {17, 15}}});
    }
    gametest::WriteFile("StageData.map", gametest::MapBytes(stages));
    gametest::WriteFile("StageData.scp", gametest::ScriptBytes(starts));
  }

  bool ranAway_ = false;
};

TEST_F(RunTest, AWholeGameRunsThroughTheCutScenesToTheCreditsAndStartsAfresh) {
  // Each stage is cleared in its first frame.
  WriteStages({{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}, {10}}, 0, ' ');
  onState = [](std::int32_t state) {
    if (state == Credits) {
      platform::PostKeyDown(VK_SPACE);
    } else if (state == Attract) {
      platform::PostKeyUp(VK_SPACE);
      platform::PostKeyDown(VK_ESCAPE);
    }
  };
  EXPECT_EQ(Run(), 0);
  std::vector<std::int32_t> expected;
  std::vector<std::pair<std::int32_t, std::int32_t>> intermissions;
  for (int stage = 1; stage <= 10; ++stage) {
    expected.insert(expected.end(), {StageStart, Play, StageClear});
    if (stage == 3 || stage == 6 || stage == 10) {
      expected.push_back(Intermission);
    }
  }
  expected.insert(expected.end(), {Credits, Attract});
  EXPECT_EQ(States(), expected);
  for (const Seen& s : seen) {
    if (s.state == Intermission) {
      intermissions.emplace_back(s.stage, s.intermission);
    }
  }
  EXPECT_EQ(intermissions, (decltype(intermissions){{4, 1}, {7, 2}, {11, 3}}));
  EXPECT_EQ(stageNumber * 1000 + lives * 100 + score + intermissionCount, 1200) << "afresh after the credits";
  EXPECT_EQ(gametest::ReadFile("HighScore.sco"), (Bytes{100, 0, 0, 0}));
}

TEST_F(RunTest, LosingEveryLifeLeadsToTheTitleAndASecondGameFromStageOne) {
  WriteStages({{1}}, 4);  // ghost 0 comes along row 1 to the blocked player
  // Esc reaches the second title screen while it runs, so it quits by itself
  // before the window procedure takes the Esc key-down message and quits
  // again. In between the best score changes: a second release would write it.
  int titles = 0;
  bool pressed = false;
  onState = [&](std::int32_t state) {
    if (state == Title && ++titles == 2) {
      platform::PostKeyUp(VK_SPACE);
    }
  };
  backend().SetPresentWatcher([&](const platform::FrameView&, std::uint32_t) {
    if (titles == 2 && !pressed) {
      pressed = true;
      platform::PostKeyDown(VK_ESCAPE);
    }
  });
  backend().SetCallWatcher([&] { highScore = pressed && activeFlag == 0 ? 4242 : highScore; });
  EXPECT_EQ(Run(), 0);
  backend().SetCallWatcher(nullptr);
  const std::vector<std::int32_t> game = {StageStart, Play,     StageStart, Play,
                                          StageStart, Play, GameOver,   Title};
  std::vector<std::int32_t> expected = game;
  expected.insert(expected.end(), game.begin(), game.end());
  ASSERT_EQ(States(), expected);
  for (const Seen* s : {&seen[0], &seen[game.size()]}) {
    EXPECT_EQ(s[0].stage * 100 + s[0].score, 100) << "stage 1, score 0";
    EXPECT_EQ(s[1].lives * 100 + s[3].lives * 10 + s[5].lives, 210);
    EXPECT_EQ(s[6].lives * 100 + s[6].score, -90) << "lives -1; the dot eaten before the catches stays eaten";
    EXPECT_EQ(s[7].lives * 100 + s[7].score, 200);
  }
  EXPECT_EQ(gametest::ReadFile("HighScore.sco"), (Bytes{10, 0, 0, 0}));
}

TEST_F(RunTest, ClosingTheWindowKeepsTheBestScoreButNeverWritesTwice) {
  for (bool escapeFirst : {false, true}) {
    WriteStages({{1, 2, 3, 4}});
    player.direction = Right;
    bool asked = false;
    onFrame = [&] {
      if (score == 30 && !asked) {
        asked = true;
        if (escapeFirst) {
          platform::PostKeyDown(VK_ESCAPE);
        }
        platform::PostClose();
      }
    };
    // Once Esc's quit sequence has written the file, a write on the destroy
    // path would store this changed value.
    backend().SetCallWatcher([&] { highScore = escapeFirst && asked && activeFlag == 0 ? 4242 : highScore; });
    EXPECT_EQ(Run(), 0);
    backend().SetCallWatcher(nullptr);
    EXPECT_EQ(gametest::ReadFile("HighScore.sco"), (Bytes{30, 0, 0, 0})) << escapeFirst;
    std::filesystem::remove("HighScore.sco");
    canvas.Release();
    display.Release();
    platform::ResetCore();
    backend().AddEvent({0, Kind::Press, VK_SPACE});
  }
}

}  // namespace
