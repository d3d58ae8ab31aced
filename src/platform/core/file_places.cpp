#include "platform/file_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// Never destroyed: the game's globals may still open files from their
// destructors at exit.
std::string& Place(int which) {
  static auto* places = new std::string[2]{".", "."};
  return places[which];
}

std::optional<std::string> XdgFolder(const char* variable, const char* fallbackUnderHome) {
  const char* set = std::getenv(variable);
  // The conventions ignore relative values.
  if (set != nullptr && set[0] == '/') return std::string(set) + "/chompo";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/" + fallbackUnderHome + "/chompo";
  return std::nullopt;
}

}  // namespace

void SetDataFolder(const std::string& folder) { Place(0) = folder; }
std::string DataFolder() { return Place(0); }
void SetStateFolder(const std::string& folder) { Place(1) = folder; }
std::string StateFolder() { return Place(1); }

std::string InFolder(const std::string& folder, const char* name) {
  if (name == nullptr) return {};
  if (name[0] == '/' || folder.empty() || folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string InDataFolder(const char* name) { return InFolder(DataFolder(), name); }

std::optional<std::string> UserDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }
std::optional<std::string> UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::optional<std::string> ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::nullopt;
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  return path.substr(0, slash == 0 ? 1 : slash);
}

DataFolderSearch FindDataFolder(const std::string& given, const std::vector<std::string>& installed) {
  DataFolderSearch search;
  const auto isFolder = [](const std::string& folder) {
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  };
  const char* environment = std::getenv("CHOMPO_DATA");
  const std::string named = !given.empty() ? given : environment != nullptr ? environment : "";
  if (!named.empty()) {
    search.searched.push_back(named);
    if (isFolder(named)) search.found = named;
    return search;
  }
  std::vector<std::string> candidates;
  const std::optional<std::string> program = ProgramFolder();
  if (program) candidates.push_back(InFolder(*program, "data"));
  for (const std::string& folder : installed) {
    if (folder.starts_with('/')) {
      candidates.push_back(folder);
    } else if (program && !folder.empty()) {
      candidates.push_back(InFolder(*program, folder.c_str()));
    }
  }
  for (const std::string& candidate : candidates) {
    search.searched.push_back(candidate);
    if (isFolder(candidate)) {
      search.found = candidate;
      break;
    }
  }
  return search;
}

bool MakeFolders(const std::string& folder, std::string& reason) {
  if (folder.empty()) {
    reason = "no folder given";
    return false;
  }
  for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      reason = part + ": " + std::strerror(errno);
      return false;
    }
    if (end == std::string::npos) break;
  }
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    reason = folder + ": not a folder";
    return false;
  }
  return true;
}

}  // namespace platform
