// The data folder looked over before any window opens: every file the game
// reads must be there and readable; one that is there but that the game's
// own loaders refuse is named, and the game goes on without it.
#pragma once

#include <string>
#include <vector>

namespace entry {

// Every file the game reads from its data folder (built from the data set's
// own list).
const std::vector<std::string>& DataFileNames();

// Files of `names` that are missing from the folder or cannot be read, each
// as "name (reason)".
std::vector<std::string> MissingDataFiles(const std::string& folder, const std::vector<std::string>& names);

// Loads each file with the game's own loaders on a back end of its own and
// gives one line for each that would not load: the game then shows or plays
// nothing for it, as it does for any file that fails to load. Call it before
// the game's back end is installed.
std::vector<std::string> UnloadableDataFiles(const std::string& folder,
                                             const std::vector<std::string>& names);

}  // namespace entry
