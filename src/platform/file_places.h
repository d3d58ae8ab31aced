// Where the game's plain file names lead. The game opens its files by plain
// names ("Title5.bmp", "HighScore.sco"); the program that starts it says
// which folder each kind lives in. Read-only data and per-user state stay
// apart: nothing is ever written into the data folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Pictures, sounds, the font and the stage files: read by _lopen and
// mmioOpenA. "." until set.
void SetDataFolder(const std::string& folder);
std::string DataFolder();
// The best score: read and written by the score file calls, in a folder
// made on the first save. "." until set; empty: no folder to keep state in,
// so nothing is read or written.
void SetStateFolder(const std::string& folder);
std::string StateFolder();

// A name inside the folder; an absolute name stays as it is.
std::string InFolder(const std::string& folder, const char* name);
std::string InDataFolder(const char* name);

// The per-user folders by the XDG conventions: $XDG_DATA_HOME/chompo
// (default ~/.local/share/chompo) for the best score, $XDG_CONFIG_HOME/chompo
// (default ~/.config/chompo) for settings. Nothing when neither the variable
// nor HOME gives an absolute folder.
std::optional<std::string> UserDataFolder();
std::optional<std::string> UserConfigFolder();

// The folder the running program was started from (where a portable copy
// keeps its "data" folder beside it), if the system tells.
std::optional<std::string> ProgramFolder();

// The data folder, searched in this order: `given` (--data), $CHOMPO_DATA,
// a "data" folder beside the program, then each of `installed` (a relative
// one is taken from the program's folder, so an installed tree can move). A
// folder the player named (the first two) is final: when it is no folder the
// search fails rather than run with other data.
struct DataFolderSearch {
  std::optional<std::string> found;
  std::vector<std::string> searched;  // every folder looked at, in order
};
DataFolderSearch FindDataFolder(const std::string& given, const std::vector<std::string>& installed);

// Makes the folder and its missing parents, private to the user where they
// are new. False, with the reason, when it cannot.
bool MakeFolders(const std::string& folder, std::string& reason);

}  // namespace platform
