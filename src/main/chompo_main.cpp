// The program players run: the command line, the data folder and the
// player's settings are looked over before anything opens, then the game
// runs on the SDL back end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/save_points.h"
#include "app/shell.h"
#include "game/game_vars.h"
#include "main/command_line.h"
#include "main/data_check.h"
#include "platform/backend.h"
#include "platform/file_places.h"
#include "platform/replay/session.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/settings_file.h"

namespace {

std::string Joined(const std::vector<std::string>& items, const char* separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

// Set, not empty and not "0".
bool EnvironmentFlag(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

// The data folder, or the exit status when there is none to play from.
int PrepareData(const entry::CommandLine& line) {
  const platform::DataFolderSearch search =
      platform::FindDataFolder(line.dataDir, {CHOMPO_DATA_FROM_PROGRAM, CHOMPO_INSTALLED_DATA_DIR});
  if (!search.found) {
    std::fprintf(stderr,
                 "chompo: no data folder found (looked in: %s)\n"
                 "chompo: reinstall the game, or give the folder with --data DIR or CHOMPO_DATA\n",
                 Joined(search.searched, ", ").c_str());
    return entry::kExitNoData;
  }
  const std::string& folder = *search.found;
  const std::vector<std::string> missing = entry::MissingDataFiles(folder, entry::DataFileNames());
  if (!missing.empty()) {
    std::fprintf(stderr,
                 "chompo: the data folder %s lacks %zu file(s): %s\n"
                 "chompo: reinstall the game, or give a complete data folder with --data DIR\n",
                 folder.c_str(), missing.size(), Joined(missing, ", ").c_str());
    return entry::kExitNoData;
  }
  for (const std::string& problem : entry::UnloadableDataFiles(folder, entry::DataFileNames())) {
    std::fprintf(stderr, "chompo: warning: %s/%s\n", folder.c_str(), problem.c_str());
  }
  platform::SetDataFolder(folder);
  return 0;
}

void PrepareState() {
  if (const auto folder = platform::UserDataFolder()) {
    platform::SetStateFolder(*folder);
    return;
  }
  std::fprintf(stderr,
               "chompo: neither XDG_DATA_HOME nor HOME names a folder: the best score will not be kept\n");
  platform::SetStateFolder("");
}

// The settings as the file keeps them: what the command line changes for
// one run stays out, what the player changes while playing goes in.
struct SavedSettings {
  std::string path;  // empty: nowhere to keep them
  platform::Settings settings = platform::DefaultSettings();
  bool toldFailure = false;

  void Save() {
    std::string reason;
    if (path.empty() || platform::WriteSettingsFile(path, settings, reason) || toldFailure) return;
    toldFailure = true;
    std::fprintf(stderr, "chompo: warning: the settings cannot be saved: %s\n", reason.c_str());
  }
};

void Warn(const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) std::fprintf(stderr, "chompo: warning: %s\n", warning.c_str());
}

// Reads the settings file (a broken one only warns) and the keys it names.
platform::SdlOptions PrepareSettings(const entry::CommandLine& line, SavedSettings& saved) {
  const std::optional<std::string> folder = platform::UserConfigFolder();
  if (!folder) {
    std::fprintf(stderr,
                 "chompo: neither XDG_CONFIG_HOME nor HOME names a folder: settings will not be kept\n");
  } else {
    saved.path = platform::InFolder(*folder, "chompo.ini");
    platform::SettingsRead read = platform::ReadSettingsFile(saved.path);
    Warn(read.warnings);
    saved.settings = std::move(read.settings);
  }
  std::vector<std::string> warnings;
  platform::SdlOptions options;
  options.keys = platform::KeyBindings(saved.settings, saved.path, warnings);
  Warn(warnings);
  // What the command line or the environment asks for wins for this run.
  if (line.fullScreen) {
    options.fullScreen = *line.fullScreen;
  } else {
    options.fullScreen = saved.settings.fullScreen && !EnvironmentFlag("CHOMPO_WINDOWED");
  }
  options.windowScale = line.scale.value_or(saved.settings.scale);
  options.volume = saved.settings.volume;
  options.muted = saved.settings.muted;
  if (folder) options.gamepadMappings = platform::InFolder(*folder, "gamecontrollerdb.txt");
  // The back end cannot see the game's state; the pause belongs to play.
  options.pauseAllowed = [] { return gameState == Play; };
  options.fullScreenChosen = [&saved](bool fullScreen) {
    saved.settings.fullScreen = fullScreen;
    saved.Save();
  };
  options.soundChosen = [&saved](int volume, bool muted) {
    saved.settings.volume = volume;
    saved.settings.muted = muted;
    saved.Save();
  };
  return options;
}

// The back end the game gets: the window's own, or the recorder or the
// replayer (keeping to the recording's pace) over it; nullptr after saying why.
platform::Backend* SessionBackend(platform::replay::Session& session, platform::SdlBackend& window) {
  platform::replay::ReplayOptions options;
  options.paced = true;
  return session.Wrap(window, platform::replay::Source::Window, options);
}

}  // namespace

int main(int argc, char** argv) {
  const entry::CommandLineResult parsed =
      entry::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.ok) {
    std::fprintf(stderr, "chompo: %s\n%s", parsed.error.c_str(), entry::UsageText().c_str());
    return entry::kExitUsage;
  }
  const entry::CommandLine& line = parsed.options;
  if (line.help) {
    std::fputs(entry::UsageText().c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::printf("chompo %s\n", CHOMPO_VERSION);
    return 0;
  }
  if (const int status = PrepareData(line); status != 0) return status;
  PrepareState();
  platform::replay::Session session("chompo", line.recordPath, line.playPath);
  if (!session.Prepare(platform::DataFolder(), entry::DataFileNames())) {
    return entry::kExitReplayMismatch;
  }
  // Never destroyed, as the back end that calls it back.
  auto* saved = new SavedSettings;
  platform::SdlOptions options = PrepareSettings(line, *saved);

  // Never deleted: the game's global objects are destroyed after main
  // returns and may still reach the platform on their way out.
  auto* backend = new platform::SdlBackend(std::move(options));
  platform::Backend* gameBackend = SessionBackend(session, *backend);
  if (gameBackend == nullptr) return entry::kExitCannotRecord;
  platform::SetBackend(gameBackend);
  // The best score is also saved when a game ends or a stage is cleared,
  // and at any exit that skips the quit sequence (a lost display).
  gameStateWatcher = SaveAtGameEvents;
  std::atexit(SaveUnsavedBestScore);
  char commandLine[] = "";
  const int exitCode = session.Ended(WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT), true);
  const bool noDisplay = backend->noDisplay();
  backend->Shutdown();
  if (noDisplay) return entry::kExitNoDisplay;
  return exitCode == 0 && BestScoreSaveFailed() ? kBestScoreNotSavedExitCode : exitCode;
}
