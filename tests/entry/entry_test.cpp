// The player's entry point before anything opens: its command line, where
// it finds its data, and the start-up check of the data folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "main/command_line.h"
#include "main/data_check.h"
#include "platform/file_places.h"
#include "support/files.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace {

using support::ScopedEnv;

namespace fs = std::filesystem;
using entry::CommandLine;
using entry::ParseCommandLine;

TEST(CommandLine, ReadsEveryOptionAndRefusesWhatItCannotUse) {
  const struct {
    std::vector<std::string> args;
    std::string expected;  // the options read, or the error
  } cases[] = {
      {{}, "data= full=unset scale=unset"},
      {{"--data", "d", "--windowed", "--scale", "2"}, "data=d full=0 scale=2"},
      {{"--data=d d", "--fullscreen", "--scale=0", "--fullscreen"}, "data=d d full=1 scale=0"},
      {{"--help"}, "help"},
      {{"-h", "--version"}, "help version"},
      {{"--bogus"}, "error: unknown option --bogus"},
      {{"stray"}, "error: unexpected argument stray"},
      {{"--" + std::string(200, 'x')}, "error: unknown option --" + std::string(78, 'x') + "..."},
      {{"--data"}, "error: --data needs a value"},
      {{"--data="}, "error: --data needs a folder"},
      {{"--windowed", "--fullscreen"}, "error: --windowed and --fullscreen exclude each other"},
      {{"--help=1"}, "error: --help takes no value"},
      {{"--scale", "17"}, "error: --scale needs a whole number from 0 to 16, not '17'"},
      {{"--scale", "-1"}, "error: --scale needs a whole number from 0 to 16, not '-1'"},
      {{"--scale", "2x"}, "error: --scale needs a whole number from 0 to 16, not '2x'"},
      {{"--record", "r.rec", "--windowed"}, "data= full=0 scale=unset record=r.rec"},
      {{"--play=p.rec"}, "data= full=unset scale=unset play=p.rec"},
      {{"--record"}, "error: --record needs a value"},
      {{"--play="}, "error: --play needs a file"},
      {{"--record", "a", "--play", "b"}, "error: --record and --play exclude each other"},
  };
  for (const auto& [args, expected] : cases) {
    const entry::CommandLineResult result = ParseCommandLine(args);
    std::string got;
    if (!result.ok) {
      got = "error: " + result.error;
    } else if (result.options.help || result.options.version) {
      got = std::string(result.options.help ? "help" : "") +
            (result.options.help && result.options.version ? " " : "") +
            (result.options.version ? "version" : "");
    } else {
      const CommandLine& line = result.options;
      got = "data=" + line.dataDir +
            " full=" + (line.fullScreen ? std::to_string(*line.fullScreen) : "unset") +
            " scale=" + (line.scale ? std::to_string(*line.scale) : "unset") +
            (line.recordPath.empty() ? "" : " record=" + line.recordPath) +
            (line.playPath.empty() ? "" : " play=" + line.playPath);
    }
    EXPECT_EQ(got, expected) << testing::PrintToString(args);
  }
}

TEST(DataFolder, ANamedFolderIsFinalAndTheOthersAreSearchedInOrder) {
  const support::TempFolder root;
  const std::string given = root.File("given"), environment = root.File("env"),
                    installed = root.File("share");
  for (const std::string& folder : {given, environment, installed}) fs::create_directory(folder);
  const std::string gone = root.File("gone");
  const struct {
    std::string given;
    const char* environment;
    std::vector<std::string> installed;
    std::string found;  // "" for none
    std::size_t searched;
  } cases[] = {
      {given, environment.c_str(), {installed}, given, 1},
      {"", environment.c_str(), {installed}, environment, 1},
      {gone, environment.c_str(), {installed}, "", 1},
      {"", gone.c_str(), {installed}, "", 1},
      // Nothing named: beside the program (no data folder there), then the
      // installed ones, a relative one from the program's folder.
      {"", nullptr, {"no-such-share", installed}, installed, 3},
      {"", nullptr, {gone}, "", 2},
  };
  for (const auto& c : cases) {
    const ScopedEnv variable("CHOMPO_DATA", c.environment);
    const platform::DataFolderSearch search = platform::FindDataFolder(c.given, c.installed);
    EXPECT_EQ(search.found.value_or(""), c.found)
        << c.given << " / " << (c.environment ? c.environment : "-");
    EXPECT_EQ(search.searched.size(), c.searched);
  }
}

TEST(DataFolder, PerUserFoldersFollowTheXdgConventions) {
  const ScopedEnv home("HOME", "/home/p");
  const struct {
    const char* data;
    const char* config;
    std::string expectedData, expectedConfig;
  } cases[] = {
      {nullptr, nullptr, "/home/p/.local/share/chompo", "/home/p/.config/chompo"},
      {"/x/d", "/x/c", "/x/d/chompo", "/x/c/chompo"},
      {"relative", "", "/home/p/.local/share/chompo", "/home/p/.config/chompo"},
  };
  for (const auto& c : cases) {
    const ScopedEnv data("XDG_DATA_HOME", c.data), config("XDG_CONFIG_HOME", c.config);
    EXPECT_EQ(platform::UserDataFolder().value_or("none"), c.expectedData);
    EXPECT_EQ(platform::UserConfigFolder().value_or("none"), c.expectedConfig);
  }
  const ScopedEnv noHome("HOME", nullptr), noData("XDG_DATA_HOME", nullptr);
  EXPECT_FALSE(platform::UserDataFolder().has_value());
}

// The check's list is the data set's: every file built is on it, and the
// built folder passes the check.
TEST(DataCheck, NamesMissingAndUnloadableFilesOfTheBuiltSet) {
  std::set<std::string> built;
  for (const auto& file : fs::directory_iterator(CHOMPO_DATA_DIR)) {
    if (file.path().filename() != "HighScore.sco") built.insert(file.path().filename().string());
  }
  const std::vector<std::string>& names = entry::DataFileNames();
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), built);
  EXPECT_EQ(entry::MissingDataFiles(CHOMPO_DATA_DIR, names), std::vector<std::string>{});
  EXPECT_EQ(entry::UnloadableDataFiles(CHOMPO_DATA_DIR, names), std::vector<std::string>{});

  const support::TempFolder data;
  for (const std::string& name : names) fs::copy_file(fs::path(CHOMPO_DATA_DIR) / name, data.File(name));
  fs::remove(data.File("Title5.bmp"));
  fs::remove(data.File("e1.eng"));
  fs::create_directory(data.File("e1.eng"));
  support::WriteText(data.File("Killed.wav"), "RIFF");
  support::WriteText(data.File("Mog1.bmp"), std::string(60, 'B'));
  const std::string map = support::ReadText(data.File("StageData.map"));
  support::WriteText(data.File("StageData.map"), map.substr(0, map.size() - 2884));
  EXPECT_EQ(entry::MissingDataFiles(data.path(), {"Title5.bmp", "e1.eng", "Mog2.bmp"}),
            (std::vector<std::string>{"Title5.bmp (missing)", "e1.eng (not a regular file)"}));
  EXPECT_EQ(entry::UnloadableDataFiles(data.path(), {"Killed.wav", "Mog1.bmp", "Mog2.bmp", "StageData.map"}),
            (std::vector<std::string>{"Killed.wav: not a sound the game can play",
                                      "Mog1.bmp: not a picture the game can show",
                                      "StageData.map: fewer than the ten stages the game plays"}));
}

}  // namespace
