// Recorded runs replayed: the same trace and pictures, the recorded best
// score and none kept; recordings of other data refused; a cut, crashed or
// tampered recording replayed as far as it holds, then named.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "e2e_support.h"
#include "platform/replay/replayer.h"
#include "support/files.h"

namespace e2e {
namespace {

using platform::replay::BodyReader;
using platform::replay::BodyWriter;
using platform::replay::Item;

constexpr int kUntilExitCode = 2;

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Lines of `shorter` but its exit line are the first lines of `longer`.
bool TraceBeginsWith(const SimRun& longer, const SimRun& shorter) {
  if (shorter.lines.empty() || shorter.lines.size() - 1 > longer.lines.size()) return false;
  return std::equal(shorter.lines.begin(), shorter.lines.end() - 1, longer.lines.begin());
}

TEST(SimReplay, ARecordedRunReplaysToTheSameTracePicturesAndEnd) {
  SimWorkspace workspace({LongWalkStage()});
  const std::string recording = workspace.root() + "/run.rec";
  const std::vector<std::string> frames = {"--frames", workspace.framesDir(), "--frame-at", "1000,5500"};
  // Script, options for both runs, what ended the run, the original's only.
  const std::tuple<std::string, std::vector<std::string>, int, std::vector<std::string>> cases[] = {
      {std::string(kStartGame) + "3000 press UP\n3100 release UP\n5600 press ESCAPE\n",
       Joined({"--until", "30000"}, frames),
       0,
       {}},
      {std::string(kStartGame) + "2000 close\n", {"--until", "100000"}, 0, {}},  // answered inside a screen
      {std::string(kStartGame) + "6000 deactivate\n9000 activate\n",
       {"--until", "9500"},
       kUntilExitCode,
       {"--clock-start", "0xFFFFE000"}},  // the clock wraps
  };
  for (const auto& [script, options, code, originalOnly] : cases) {
    SCOPED_TRACE(script);
    workspace.WriteHighScore(5);
    const SimRun original =
        workspace.Run(script, Joined(Joined(options, originalOnly), {"--record", recording}));
    ASSERT_EQ(original.exitCode, code) << original.errors;
    const std::vector<std::uint8_t> pictureBefore =
        options.size() > 2 ? workspace.Frame(5500).rgb : std::vector<std::uint8_t>();
    workspace.WriteHighScore(999999);
    const SimRun replay = workspace.Replay(recording, options);
    EXPECT_EQ(replay.exitCode, code) << replay.errors;
    EXPECT_FALSE(original.states.empty());
    EXPECT_EQ(replay.lines, original.lines);
    if (!pictureBefore.empty()) {
      EXPECT_EQ(workspace.Frame(5500).rgb, pictureBefore);
    }
    EXPECT_EQ(workspace.ReadHighScore(), 999999) << "a replay keeps no best score";
  }
}

TEST(SimReplay, ARecordingOfOtherStagesIsRefusedBeforeAnythingRuns) {
  SimWorkspace recorded({LongWalkStage()});
  SimWorkspace changed({AmbushStage()});
  const std::string recording = recorded.root() + "/run.rec";
  ASSERT_EQ(recorded.Run(kStartGame, {"--until", "3000", "--record", recording}).exitCode, kUntilExitCode);
  const SimRun replay = changed.Replay(recording, {});
  EXPECT_EQ(replay.exitCode, 64);
  EXPECT_NE(replay.errors.find("the recording was made with other data files (data set "), std::string::npos)
      << replay.errors;
  EXPECT_TRUE(replay.lines.empty()) << "nothing ran";
}

// The recording's items, one changed, written back under the same header.
void Tamper(const std::string& from, const std::string& to,
            const std::function<void(std::vector<Item>&)>& change) {
  platform::replay::Recording recording;
  std::string error;
  ASSERT_TRUE(platform::replay::LoadRecording(from, recording, error)) << error;
  BodyReader reader(recording.bytes.data() + recording.bodyOffset,
                    recording.bytes.size() - recording.bodyOffset, recording.header.startClock);
  std::vector<Item> items;
  while (const Item* item = reader.Peek()) {
    items.push_back(*item);
    reader.Take();
  }
  change(items);
  BodyWriter writer(recording.header.startClock);
  for (const Item& item : items) writer.Add(item);
  writer.Finish();
  std::vector<std::uint8_t> bytes(
      recording.bytes.begin(), recording.bytes.begin() + static_cast<std::ptrdiff_t>(recording.bodyOffset));
  bytes.insert(bytes.end(), writer.output().begin(), writer.output().end());
  ASSERT_TRUE(support::WriteBytes(to, bytes));
}

TEST(SimReplay, ARecordingCutOrTamperedWithReplaysAsFarAsItHoldsAndSaysWhere) {
  SimWorkspace workspace({LongWalkStage()});
  const std::string recording = workspace.root() + "/run.rec";
  const std::string broken = workspace.root() + "/broken.rec";
  const std::string script = std::string(kStartGame) + "3000 press UP\n3100 release UP\n";
  const SimRun original = workspace.Run(script, {"--until", "20000", "--record", recording});
  ASSERT_EQ(original.exitCode, kUntilExitCode) << original.errors;

  const std::string whole = support::ReadText(recording);
  ASSERT_TRUE(support::WriteText(broken, whole.substr(0, whole.size() / 2)));
  SimRun replay = workspace.Replay(broken, {});
  EXPECT_EQ(replay.exitCode, 3) << replay.errors;
  EXPECT_NE(replay.errors.find("before the game did: its session was cut short"), std::string::npos)
      << replay.errors;
  EXPECT_TRUE(TraceBeginsWith(original, replay));
  EXPECT_TRUE(replay.frames.size() > 10 && replay.frames.size() < original.frames.size())
      << replay.frames.size();

  // The space bar a few calls later: the game takes another way.
  Tamper(recording, broken, [](std::vector<Item>& items) {
    const auto press = std::find_if(items.begin(), items.end(), [](const Item& item) {
      return item.kind == Item::Kind::Post && item.input.kind == platform::PostedInput::Kind::KeyDown;
    });
    ASSERT_NE(press, items.end());
    press->callGap += 40;
  });
  replay = workspace.Replay(broken, {});
  EXPECT_EQ(replay.exitCode, 65) << replay.errors;
  EXPECT_NE(replay.errors.find("chompo-sim: the replay left the recording at item "), std::string::npos)
      << replay.errors;
  ASSERT_FALSE(replay.trace.empty());
  EXPECT_EQ(replay.trace.back().Str("event") + replay.trace.back().Str("code"), "exit65");
}

// A recording run killed by a crash signal mid-game: what it recorded up to
// then replays up to there, and a little further, to the next value the
// recording would have had to give.
TEST(SimReplay, ACrashedSessionReplaysUpToItsCrash) {
  SimWorkspace workspace({LongWalkStage()});
  const std::string recording = workspace.root() + "/run.rec";
  const std::string trace = workspace.root() + "/crashed.jsonl";
  if (!support::WriteText(workspace.root() + "/script.txt",
                          std::string(kStartGame) + SpaceTaps(3000, 600000, 700))) {
    FAIL() << "cannot write the script";
  }
  const std::vector<std::string> command =
      workspace.Command({"--data", workspace.dataDir(), "--script", workspace.root() + "/script.txt",
                         "--trace", trace, "--until", "600000", "--record", recording});
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  // Well into play, by its trace.
  for (int wait = 0; wait < 3000; ++wait) {
    std::ifstream lines(trace);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);) ++count;
    if (count > 300) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(child, SIGSEGV);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  // (Under the sanitizers a crash ends with SIGABRT.)
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the crash: " << status;
  SimRun crashed;
  std::ifstream lines(trace);
  for (std::string line; std::getline(lines, line);) crashed.lines.push_back(line);
  crashed.lines.push_back("");  // stands for the exit line a crash never writes

  const SimRun replay = workspace.Replay(recording, {});
  EXPECT_EQ(replay.exitCode, 3) << replay.errors;
  EXPECT_GT(crashed.lines.size(), 300u);
  EXPECT_TRUE(TraceBeginsWith(replay, crashed)) << "the replay stopped before the crash";
  EXPECT_LT(replay.lines.size(), crashed.lines.size() + 5) << "the replay went on long after the crash";
}

}  // namespace
}  // namespace e2e
