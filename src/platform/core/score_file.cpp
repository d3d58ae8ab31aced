#include "platform/score_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "formats/little_endian.h"
#include "platform/backend.h"
#include "platform/core/core_internal.h"
#include "platform/core/file_writing.h"
#include "platform/file_places.h"

namespace platform {
namespace {

constexpr int kMostLinks = 40;  // as the system's own limit on a path
// Another copy holds the lock for the few milliseconds of its save; one
// that holds it this long has stopped, and waiting on would hang the quit.
constexpr auto kLockPatience = std::chrono::seconds(5);
constexpr auto kLockRetry = std::chrono::milliseconds(1);
constexpr char kLockSuffix[] = ".lock";

// Never destroyed: an exit handler may save after static objects are gone.
struct StoreState {
  bool saveFailed = false;
  std::vector<std::string> reported;
};
StoreState& Store() {
  static auto* state = new StoreState;
  return *state;
}

// One line per problem and run: a save point that keeps failing the same
// way says so once.
void Report(const std::string& key, const std::string& line) {
  std::vector<std::string>& reported = Store().reported;
  if (std::find(reported.begin(), reported.end(), key) != reported.end()) return;
  reported.push_back(key);
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
}

std::string Reason(int error) { return std::strerror(error); }

// Messages name the file in full, whatever folder the program stands in.
std::string Shown(const std::string& path) {
  if (path.starts_with('/')) return path;
  char here[4096];
  if (::getcwd(here, sizeof here) == nullptr) return path;
  return std::string(here) + (here[1] == '\0' ? "" : "/") + path;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// What the file holds now.
struct OnDisk {
  enum class Kind { Missing, Value, Unreadable } kind = Kind::Missing;
  std::int32_t value = 0;
  bool exact = false;  // exactly four bytes: nothing to mend by rewriting it
  mode_t mode = 0;
  std::string reason;  // Unreadable only
};

OnDisk Look(const std::string& path) {
  OnDisk disk;
  // A folder, FIFO or device is told apart before it is opened: opening a
  // FIFO with no writer, or some devices, would block or act.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    // No file, or a folder on the way that is none: nothing stored there.
    if (errno != ENOENT && errno != ENOTDIR) {
      disk.kind = OnDisk::Kind::Unreadable;
      disk.reason = Reason(errno);
    }
    return disk;
  }
  disk.kind = OnDisk::Kind::Unreadable;
  if (!S_ISREG(status.st_mode)) {
    disk.reason = std::string("it is ") + KindOf(status.st_mode);
    return disk;
  }
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    disk.reason = Reason(errno);
    return disk;
  }
  // Swapped for something else since it was looked at.
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    disk.reason = std::string("it is ") + KindOf(status.st_mode);
    ::close(fd);
    return disk;
  }
  std::uint8_t bytes[4];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      disk.reason = Reason(errno);
      ::close(fd);
      return disk;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  disk.kind = OnDisk::Kind::Value;
  disk.mode = status.st_mode & 07777;
  disk.exact = got == sizeof bytes && status.st_size == static_cast<off_t>(sizeof bytes);
  if (got == sizeof bytes) disk.value = static_cast<std::int32_t>(formats::LoadLe32(bytes));
  return disk;
}

// The read and the save of a file that must not be replaced share the line,
// so it is said once.
void ReportUnreadable(const std::string& path, const std::string& reason) {
  Report("unreadable\n" + path + "\n" + reason,
         Shown(path) + ": " + reason + "; the best score starts from 0 and this file is left as it is");
}

bool SaveFailed(const std::string& path, const std::string& reason) {
  Store().saveFailed = true;
  Report("save\n" + path + "\n" + reason, "cannot save the best score in " + Shown(path) + ": " + reason);
  return false;
}

// The file a chain of symbolic links ends at; the path itself when it is
// no link or is missing.
bool FollowLinks(std::string path, std::string& target, std::string& reason) {
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      target = path;
      return true;
    }
    std::string link(4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) {
      reason = length < 0 ? Reason(errno) : "the symbolic link is too long";
      return false;
    }
    link.resize(static_cast<std::size_t>(length));
    path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  reason = Reason(ELOOP);
  return false;
}

// The exclusive lock every save of the file holds, on a file beside it, so
// that two copies of the game read and replace it one after the other.
class SaveLock {
 public:
  SaveLock() = default;
  ~SaveLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock; the lock file stays for the next save
  }
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

  // False with the reason; folderShut when the folder takes no new file.
  bool Take(const std::string& path, std::string& reason, bool& folderShut) {
    fd_ = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd_ < 0) {
      folderShut = errno == EACCES || errno == EROFS || errno == EPERM;
      reason = Reason(errno);
      return false;
    }
    const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) {
        reason = errno == EWOULDBLOCK ? "another copy of the game holds " + path : Reason(errno);
        return false;
      }
      std::this_thread::sleep_for(kLockRetry);
    }
  }

 private:
  int fd_ = -1;
};

bool ProcessGone(std::string_view digits) {
  int pid = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) return false;
  return pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH);
}

// Temporary files of killed saves. The lock is held, so no other save is
// under way; the process named in each must be gone too.
void RemoveLeftovers(const std::string& folder, const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + kTempInfix;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.starts_with(prefix) && ProcessGone(name.substr(prefix.size()))) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

}  // namespace

std::int32_t ReadStoredScore(const char* fileName) {
  EnterCall();
  if (fileName == nullptr || StateFolder().empty()) return 0;
  const std::string path = InFolder(StateFolder(), fileName);
  const OnDisk disk = Look(path);
  switch (disk.kind) {
    case OnDisk::Kind::Value:
      return disk.value;
    case OnDisk::Kind::Unreadable:
      ReportUnreadable(path, disk.reason);
      return 0;
    case OnDisk::Kind::Missing:
      break;
  }
  // A score kept in the data folder by an older copy of the game starts the
  // player's own; the data folder itself is never written.
  const std::string old = InDataFolder(fileName);
  if (old == path) return 0;
  const OnDisk imported = Look(old);
  return imported.kind == OnDisk::Kind::Value ? imported.value : 0;
}

bool WriteScoreFile(const char* fileName, std::int32_t value) {
  EnterCall();
  if (fileName == nullptr) return false;
  // No state folder: keeping the score is off (a replay, or nowhere to keep
  // it, which the program said at start), so nothing failed.
  if (StateFolder().empty()) return false;
  const std::string path = InFolder(StateFolder(), fileName);
  std::string reason;
  if (StateFolder() != "." && !MakeFolders(StateFolder(), reason)) return SaveFailed(path, reason);
  std::string target;
  if (!FollowLinks(path, target, reason)) return SaveFailed(path, reason);
  const std::string folder = FolderOf(target);
  // What cannot be read is never replaced, and nothing is made beside it
  // (a link to a device). Looked at again once the lock is held.
  const auto refused = [&path](const OnDisk& disk) {
    if (disk.kind != OnDisk::Kind::Unreadable) return false;
    Store().saveFailed = true;
    ReportUnreadable(path, disk.reason);
    return true;
  };
  if (refused(Look(target))) return false;

  SaveLock lock;
  bool folderShut = false;
  const bool locked = lock.Take(target + kLockSuffix, reason, folderShut);
  if (!locked && !folderShut) return SaveFailed(path, reason);
  const OnDisk disk = Look(target);
  if (refused(disk)) return false;
  const bool kept = disk.kind == OnDisk::Kind::Value && disk.exact && disk.value >= value;
  // A folder that takes no new file cannot be saved in, which matters only
  // when the file is behind.
  if (!locked && !kept) return SaveFailed(path, reason);
  if (locked) RemoveLeftovers(folder, target);
  if (!kept) {
    const std::int32_t best = disk.kind == OnDisk::Kind::Value ? std::max(disk.value, value) : value;
    const mode_t mode = disk.kind == OnDisk::Kind::Value ? disk.mode : NewFileMode();
    std::uint8_t bytes[4];
    formats::StoreLe32(static_cast<std::uint32_t>(best), bytes);
    if (!ReplaceWhole(folder, target, bytes, sizeof bytes, mode, reason)) return SaveFailed(path, reason);
  }
  CurrentBackend().StateWritten();
  return true;
}

bool ScoreSaveFailed() { return Store().saveFailed; }

void ForgetScoreSaves() {
  Store().saveFailed = false;
  Store().reported.clear();
}

}  // namespace platform
