// A whole stage-1 session played in the real window with keys pushed through
// SDL's own queue, recorded, then replayed headless by chompo-sim and in the
// window by chompo --play: the same state changes, play frames and score, a
// recording within its size budget, and a window replay that Ctrl+C stops.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/shell.h"
#include "game/game_vars.h"
#include "game/play_frame.h"
#include "main/data_check.h"
#include "platform/file_places.h"
#include "platform/replay/recorder.h"
#include "platform/sdl/sdl_backend.h"
#include "support/files.h"
#include "support/sim_folder.h"
#include "support/temp_folder.h"

namespace {

// About 50 KB a minute of play.
constexpr double kBudgetBytesPerMinute = 50.0 * 1024;

struct Session {
  std::vector<std::pair<int, int>> states;
  std::vector<std::uint32_t> frameTimes;  // the frame gate's readings
  std::int32_t lastScore = -1;
};

Session played;

void PushKey(SDL_Keycode key, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

// Whether the process has a handler of its own for SIGINT, by its status.
bool CatchesInterrupt(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigCgt:")) {
      return ((std::strtoull(line.c_str() + 7, nullptr, 16) >> (SIGINT - 1)) & 1) != 0;
    }
  }
  return false;
}

// What chompo-sim's trace says of the same things.
Session FromTrace(const std::string& path) {
  Session session;
  std::ifstream trace(path);
  auto number = [](const std::string& line, const char* field) {
    const std::size_t at = line.find(std::string("\"") + field + "\":");
    return at == std::string::npos ? -1L
                                   : std::strtol(line.c_str() + at + std::strlen(field) + 3, nullptr, 10);
  };
  for (std::string line; std::getline(trace, line);) {
    if (line.find("\"event\":\"state\"") != std::string::npos) {
      session.states.emplace_back(number(line, "from"), number(line, "to"));
    } else if (line.find("\"event\":\"frame\"") != std::string::npos) {
      session.frameTimes.push_back(static_cast<std::uint32_t>(number(line, "t")));
      session.lastScore = static_cast<std::int32_t>(number(line, "score"));
    }
  }
  return session;
}

TEST(WindowReplay, AStageOneSessionReplaysHeadlessAndInTheWindowAsPlayed) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display to open a window on";
  support::TempFolder folder("chompo-window-replay");
  const std::string recording = folder.path() + "/session.rec";
  platform::SetDataFolder(CHOMPO_DATA_DIR);
  platform::SetStateFolder(folder.path());
  setenv("CHOMPO_SOFTWARE", "1", 1);  // no OpenGL: the sanitized runs cannot have it

  // The game's globals reach the platform after the run too: they find no
  // back end once these are gone.
  auto window =
      std::make_unique<platform::SdlBackend>(platform::SdlOptions{.fullScreen = false, .windowScale = 1});
  platform::replay::Header header;
  header.source = platform::replay::Source::Window;
  header.dataChecksum = platform::replay::DataSetChecksum(CHOMPO_DATA_DIR, entry::DataFileNames());
  auto recorder = std::make_unique<platform::replay::RecordingBackend>(*window, recording, header);
  ASSERT_TRUE(recorder->ok()) << recorder->error();
  platform::ResetCore();
  platform::SetBackend(recorder.get());
  recorder->Start();

  // Space starts a game from the attract screen; in play the player turns
  // up and right, then keeps going until the ghosts have taken every life
  // (about a minute); Esc on the title that follows the game over ends the
  // program. The screens poll the keyboard, so a key that is let go on a
  // timer can be missed by a slow pass (a sanitized build on a busy
  // machine): Space is held until the stage starts, and Esc to the end.
  gameStateWatcher = [](std::int32_t from, std::int32_t to) {
    played.states.emplace_back(from, to);
    if (to == StageStart && played.frameTimes.empty()) PushKey(SDLK_SPACE, false);
    if (from == GameOver && to == Title) PushKey(SDLK_ESCAPE, true);
  };
  playFrameWatcher = [](std::uint32_t gateTime, const FrameKeys&) {
    played.frameTimes.push_back(gateTime);
    played.lastScore = score;
    const std::size_t frame = played.frameTimes.size();
    if (frame == 60 || frame == 150) PushKey(frame == 60 ? SDLK_UP : SDLK_RIGHT, true);
    if (frame == 90 || frame == 180) PushKey(frame == 90 ? SDLK_UP : SDLK_RIGHT, false);
  };
  PushKey(SDLK_SPACE, true);
  // A session that never reaches its game over is ended with Esc (a quit
  // the game returns from, where a close could end the process), and fails
  // below.
  const SDL_TimerID guard = SDL_AddTimer(
      240000,
      [](Uint32, void*) -> Uint32 {
        PushKey(SDLK_ESCAPE, true);
        return 0;
      },
      nullptr);
  char commandLine[] = "";
  const int exitCode = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
  SDL_RemoveTimer(guard);
  recorder->Finish(exitCode, platform::replay::Item::Ending::Returned);
  gameStateWatcher = nullptr;
  playFrameWatcher = nullptr;
  platform::SetBackend(nullptr);
  window->Shutdown();
  ASSERT_EQ(exitCode, 0);
  ASSERT_GE(played.states.size(), 3u);
  ASSERT_EQ(played.states.back(), std::make_pair(6, 1)) << "the session did not reach the game over";
  ASSERT_GT(played.frameTimes.size(), 1000u);

  const std::string trace = folder.path() + "/replay.jsonl";
  EXPECT_EQ(support::RunProgram(
                {support::SimProgram(), "--data", CHOMPO_DATA_DIR, "--demo", recording, "--trace", trace},
                folder.path() + "/sim-errors.txt"),
            0)
      << support::ReadText(folder.path() + "/sim-errors.txt");
  const Session replayed = FromTrace(trace);
  EXPECT_EQ(replayed.states, played.states);
  EXPECT_EQ(replayed.frameTimes, played.frameTimes);
  EXPECT_EQ(replayed.lastScore, played.lastScore);

  // The session's length from its first frame to its last, at least.
  const double minutes = (played.frameTimes.back() - played.frameTimes.front()) / 60000.0;
  const double bytesPerMinute = static_cast<double>(support::ReadBytes(recording).size()) / minutes;
  std::printf("recorded %.1f minutes of a stage-1 session in the window: %.0f bytes a minute\n", minutes,
              bytesPerMinute);
  EXPECT_LT(bytesPerMinute, kBudgetBytesPerMinute);

  setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // SDL's desktop bus connection is never given back
  const std::string play = CHOMPO_BINARY_DIR "/chompo";
  // Ctrl+C, as the window's close, stops a window replay at once.
  const std::string stoppedErrors = folder.path() + "/stopped-errors.txt";
  const char* stopped[] = {play.c_str(), "--data",          CHOMPO_DATA_DIR, "--windowed",
                           "--play",     recording.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, stoppedErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, stopped[0], &actions, nullptr, const_cast<char**>(stopped), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Once the game catches Ctrl+C (its back end is up), and a moment of replay.
  for (int wait = 0; wait < 600 && !CatchesInterrupt(child); ++wait) SDL_Delay(50);
  SDL_Delay(1500);
  ::kill(child, SIGINT);
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(support::ReadText(stoppedErrors).find("chompo: the replay was stopped at item "),
            std::string::npos)
      << support::ReadText(stoppedErrors);

  // The window replay keeps the recording's pace and ends as it ended.
  EXPECT_EQ(support::RunProgram({play, "--data", CHOMPO_DATA_DIR, "--windowed", "--play", recording},
                                folder.path() + "/play-errors.txt"),
            0)
      << support::ReadText(folder.path() + "/play-errors.txt");
}

}  // namespace
