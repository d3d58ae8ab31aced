// The player's settings file: what each line gives, what a broken one warns
// about, and the file written atomically and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::KeyAction;
using platform::Settings;
using Strings = std::vector<std::string>;

TEST(SettingsTest, EachLineGivesItsSettingAndEveryUnusableEntryKeepsItsDefaultWithOneWarning) {
  const struct {
    std::string text;
    std::function<void(Settings&)> expected;  // applied to the defaults
    Strings warnings;
  } cases[] = {
      {"# mine\n[display]\nfullscreen = false\nscale = 0\n\n[audio]\nvolume = 4\nmuted = TRUE\n"
       "[keys]\nleft = A, Left\npause =\nquit = Q\n",
       [](Settings& s) {
         s.fullScreen = false;
         s.scale = 0;
         s.volume = 4;
         s.muted = true;
         s.Keys(KeyAction::Left) = {"A", "Left"};
         s.Keys(KeyAction::Pause) = {};
         s.Keys(KeyAction::Quit) = {"Q"};
       },
       {}},
      {"  [ Display ]  \r\n\tFullScreen=false \r\n[KEYS]\r\nVolume_Up = Keypad +\r\n; last",
       [](Settings& s) {
         s.fullScreen = false;
         s.Keys(KeyAction::VolumeUp) = {"Keypad +"};
       },
       {}},
      {"", [](Settings&) {}, {}},
      {"volume = 3\n[audio\nvolume = 5\n[audio]\nvolume = 11\nmuted = maybe\njust words\n= 5\n"
       "[display]\nscale = -1\nscale = 2x\ncolour = red\nfullscreen = false\n[keys]\nleft = Left,,A\n"
       "jump = Space\n[sound]\nvolume = 1\n",
       [](Settings& s) { s.fullScreen = false; },
       {"s.ini:1: no setting 'volume' outside the sections: ignored",
        "s.ini:2: unknown section [audio: its lines are ignored",
        "s.ini:5: volume = 11: not a whole number from 0 to 10: using 10",
        "s.ini:6: muted = maybe: not true or false: using false",
        "s.ini:7: 'just words' is not a section or a name = value line: ignored",
        "s.ini:8: '= 5' is not a section or a name = value line: ignored",
        "s.ini:10: scale = -1: not a whole number from 0 to 16: using 3",
        "s.ini:11: scale = 2x: not a whole number from 0 to 16: using 3",
        "s.ini:12: no setting 'colour' in [display]: ignored",
        "s.ini:15: left = Left,,A: a key name is empty: using Left",
        "s.ini:16: no setting 'jump' in [keys]: ignored",
        "s.ini:17: unknown section [sound]: its lines are ignored"}},
      {std::string("[audio]\nvolume = \x01\x02") + std::string(50, '9') + "\n",
       [](Settings&) {},
       {"s.ini:2: volume = ??" + std::string(38, '9') + "...: not a whole number from 0 to 10: using 10"}},
  };
  for (const auto& c : cases) {
    const platform::SettingsRead read = platform::ParseSettings(c.text, "s.ini");
    Settings expected = platform::DefaultSettings();
    c.expected(expected);
    EXPECT_EQ(platform::FormatSettings(read.settings), platform::FormatSettings(expected)) << c.text;
    EXPECT_EQ(read.warnings, c.warnings) << c.text;
  }
}

TEST(SettingsTest, TheFileIsReplacedWholeAndReadBackAndAFileThatIsNoSettingsOnlyWarns) {
  const support::TempFolder folder;
  const std::string path = folder.File("config/chompo/chompo.ini");
  const platform::SettingsRead missing = platform::ReadSettingsFile(path);
  EXPECT_TRUE(missing.warnings.empty()) << "no file yet: the defaults, quietly";
  EXPECT_EQ(platform::FormatSettings(missing.settings),
            platform::FormatSettings(platform::DefaultSettings()));

  Settings settings = platform::DefaultSettings();
  settings.volume = 3;
  settings.muted = true;
  settings.Keys(KeyAction::Down) = {"S", "Down"};
  std::string reason;
  ASSERT_TRUE(platform::WriteSettingsFile(path, settings, reason)) << reason;
  settings.fullScreen = false;
  ASSERT_TRUE(platform::WriteSettingsFile(path, settings, reason)) << reason;
  const platform::SettingsRead back = platform::ReadSettingsFile(path);
  EXPECT_TRUE(back.warnings.empty());
  EXPECT_EQ(platform::FormatSettings(back.settings), platform::FormatSettings(settings));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.File("config/chompo")), fs::directory_iterator{}), 1)
      << "no temporary file left behind";

  // A link (a player's dotfiles) stays a link; the file it leads to changes.
  const std::string linked = folder.File("linked.ini");
  fs::create_symlink(path, linked);
  settings.scale = 5;
  ASSERT_TRUE(platform::WriteSettingsFile(linked, settings, reason)) << reason;
  EXPECT_TRUE(fs::is_symlink(linked));
  EXPECT_EQ(platform::ReadSettingsFile(path).settings.scale, 5);

  support::WriteText(folder.File("file"), "");
  EXPECT_FALSE(platform::WriteSettingsFile(folder.File("file/chompo.ini"), settings, reason));
  EXPECT_NE(reason.find("file"), std::string::npos) << reason;

  fs::create_directory(folder.File("folder.ini"));
  support::WriteText(folder.File("large.ini"), std::string(64 * 1024 + 1, '#'));
  for (const auto& [name, problem] : {std::pair<std::string, std::string>{"folder.ini", "not a regular file"},
                                      {"large.ini", "larger than 64 KiB"}}) {
    const platform::SettingsRead read = platform::ReadSettingsFile(folder.File(name));
    EXPECT_EQ(read.warnings, Strings{folder.File(name) + ": " + problem + ": using the defaults"});
    EXPECT_EQ(read.settings.volume, 10);
  }
}

}  // namespace
