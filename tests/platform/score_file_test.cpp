// The best score's store: whatever stands under the name, a best score is
// never lost, a file it cannot read is never replaced, and every failure
// is said once.
#include "platform/score_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "platform/file_places.h"
#include "platform/no_device_backend.h"
#include "support/backend_scope.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using support::Bytes;

constexpr char kName[] = "HighScore.sco";

Bytes Le(std::int32_t value) {
  Bytes bytes;
  support::PutLe(bytes, static_cast<std::uint32_t>(value), 4);
  return bytes;
}

// What stands at path: "missing", "folder", "FIFO", "device", "file N" for
// four bytes holding N, "file of K bytes" otherwise, "link to ..." for a
// symbolic link followed by what it leads to.
std::string Describe(const std::string& path) {
  std::error_code error;
  const fs::file_status own = fs::symlink_status(path, error);
  if (fs::is_symlink(own))
    return "link to " + Describe(fs::path(path).parent_path() / fs::read_symlink(path));
  if (!fs::exists(own)) return "missing";
  if (fs::is_directory(own)) return "folder";
  if (fs::is_fifo(own)) return "FIFO";
  if (fs::is_character_file(own)) return "device";
  const Bytes bytes = support::ReadBytes(path);
  if (bytes.size() != 4) return "file of " + std::to_string(bytes.size()) + " bytes";
  return "file " + std::to_string(static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                            static_cast<std::uint32_t>(bytes[3]) << 24));
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// What goes to stderr meanwhile, through a pipe: a file would be held to a
// file size limit too.
class StderrCapture {
 public:
  StderrCapture() {
    if (::pipe(pipe_) != 0) ADD_FAILURE() << "no pipe";
    std::fflush(stderr);
    saved_ = ::dup(2);
    ::dup2(pipe_[1], 2);
    ::close(pipe_[1]);
  }
  ~StderrCapture() { Take(); }
  std::string Take() {
    if (saved_ < 0) return text_;
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    saved_ = -1;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe_[0], buffer, sizeof buffer)) > 0;) text_.append(buffer, got);
    ::close(pipe_[0]);
    return text_;
  }

 private:
  int pipe_[2] = {-1, -1};
  int saved_ = -1;
  std::string text_;
};

// Counts the saves a back end hears of.
class CountingBackend final : public platform::NoDeviceBackend {
 public:
  int written = 0;
  void StateWritten() override { ++written; }
};

class ScoreFileTest : public ::testing::Test {
 protected:
  ScoreFileTest() {
    platform::ResetCore();
    fs::create_directory(dataFolder_);
    platform::SetDataFolder(dataFolder_);
  }
  ~ScoreFileTest() override {
    platform::SetStateFolder(".");
    platform::SetDataFolder(".");
    platform::ResetCore();
  }

  // A fresh state folder for each case.
  std::string UseStateFolder(const std::string& name) {
    const std::string folder = folder_.File(name);
    platform::SetStateFolder(folder);
    return folder;
  }

  support::TempFolder folder_{"chompo-score"};
  const std::string dataFolder_ = folder_.File("data");
  CountingBackend backend_;
  support::BackendScope scope_{backend_};
};

TEST_F(ScoreFileTest, WhatStandsUnderTheNameIsReadAndReplacedOnlyWhenItIsAFileThatCanBeRead) {
  struct Case {
    const char* what;
    std::function<void(const std::string& folder)> make;  // in the state folder, which exists
    std::int32_t read;
    bool saved;         // a save of 5000 keeps at least that
    const char* after;  // what stands under the name then
  };
  const auto link = [](const char* to) {
    return [to](const std::string& folder) { fs::create_symlink(to, folder + "/" + kName); };
  };
  const Case cases[] = {
      {"nothing", [](const std::string&) {}, 0, true, "file 5000"},
      // Where older copies kept it: read, never written.
      {"nothing, and a best in the data folder",
       [&](const std::string&) { support::WriteBytes(dataFolder_ + "/" + kName, Le(6000)); }, 6000, true,
       "file 5000"},
      {"a short file",
       [](const std::string& f) {
         support::WriteBytes(f + "/" + kName, {1, 2});
       },
       0, true, "file 5000"},
      {"a higher best, saved by another copy",
       [](const std::string& f) { support::WriteBytes(f + "/" + kName, Le(9000)); }, 9000, true, "file 9000"},
      {"a folder", [](const std::string& f) { fs::create_directory(f + "/" + kName); }, 0, false, "folder"},
      // Opening it for reading would wait for a writer forever.
      {"a FIFO", [](const std::string& f) { ::mkfifo((f + "/" + kName).c_str(), 0644); }, 0, false, "FIFO"},
      {"a link to a device", link("/dev/zero"), 0, false, "link to device"},
      {"a link to a file",
       [](const std::string& f) {
         fs::create_directory(f + "/kept");
         support::WriteBytes(f + "/kept/best", Le(3000));
         fs::create_symlink("kept/best", f + "/" + kName);
       },
       3000, true, "link to file 5000"},
      {"a link to a file not made yet",
       [](const std::string& f) {
         fs::create_directory(f + "/kept");
         fs::create_symlink("kept/best", f + "/" + kName);
       },
       0, true, "link to file 5000"},
  };
  int folderNumber = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::ResetCore();
    const std::string folder = UseStateFolder("state" + std::to_string(++folderNumber));
    fs::create_directory(folder);
    c.make(folder);
    const int writtenBefore = backend_.written;
    StderrCapture capture;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(platform::ReadScoreFile(kName), c.read);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "reading blocked";
    // Two saves: a refusal is said once.
    EXPECT_EQ(platform::WriteScoreFile(kName, 5000), c.saved);
    EXPECT_EQ(platform::WriteScoreFile(kName, 5000), c.saved);
    const std::string errors = capture.Take();
    EXPECT_EQ(Describe(folder + "/" + kName), c.after);
    fs::remove(dataFolder_ + "/" + kName);
    EXPECT_EQ(platform::ScoreSaveFailed(), !c.saved);
    EXPECT_EQ(backend_.written - writtenBefore, c.saved ? 2 : 0) << "the back end hears of every save";
    EXPECT_EQ(Lines(errors), c.saved ? 0 : 1) << errors;
    EXPECT_NE(errors.find(c.saved ? "" : folder + "/" + kName), std::string::npos) << errors;
    for (const std::string& name : Names(folder)) {
      EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name << " left behind";
    }
  }
}

TEST_F(ScoreFileTest, AFailedSaveNamesTheFileAndTheReasonAndLeavesTheOldFile) {
  const std::string folder = UseStateFolder("state");
  fs::create_directory(folder);
  support::WriteBytes(folder + "/" + kName, Le(5000));
  const auto noFileMayGrow = [](bool on) {
    static rlimit previous{};
    static struct sigaction handler {};
    if (on) {
      getrlimit(RLIMIT_FSIZE, &previous);
      rlimit none = previous;
      none.rlim_cur = 0;
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      sigaction(SIGXFSZ, &ignore, &handler);
      setrlimit(RLIMIT_FSIZE, &none);
    } else {
      setrlimit(RLIMIT_FSIZE, &previous);
      sigaction(SIGXFSZ, &handler, nullptr);
    }
  };
  struct Case {
    const char* what;
    std::function<void(bool)> condition;  // true: set up, false: undo
    const char* reason;
    bool aheadKept;  // a save of less than the file holds still succeeds: nothing needs writing
  };
  const Case cases[] = {
      {"a full disk", noFileMayGrow, std::strerror(EFBIG), true},
      {"a state folder under a file",
       [&](bool on) {
         if (on) support::WriteBytes(folder_.File("plain"), {});
         platform::SetStateFolder(on ? folder_.File("plain/state") : folder);
       },
       "plain/state", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::ResetCore();
    StderrCapture capture;
    c.condition(true);
    const bool saved = platform::WriteScoreFile(kName, 7000);
    const std::string shown = platform::StateFolder() + "/" + kName;
    const bool aheadKept = platform::WriteScoreFile(kName, 4000);
    c.condition(false);
    const std::string errors = capture.Take();
    EXPECT_FALSE(saved);
    EXPECT_TRUE(platform::ScoreSaveFailed());
    EXPECT_EQ(Lines(errors), 1) << errors;
    EXPECT_NE(errors.find("cannot save the best score in " + shown + ": "), std::string::npos) << errors;
    EXPECT_NE(errors.find(c.reason), std::string::npos) << errors;
    EXPECT_EQ(Describe(folder + "/" + kName), "file 5000");
    EXPECT_EQ(aheadKept, c.aheadKept);
    EXPECT_EQ(Names(folder), (std::set<std::string>{kName, std::string(kName) + ".lock"}));
  }
}

// A close answered from inside a waiting screen ends the program in the
// platform, which keeps the failure in the status too.
TEST_F(ScoreFileTest, AProgramThePlatformEndsAfterAFailedSaveEndsWith74) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(platform::CurrentBackend().EndProcess(0), testing::ExitedWithCode(0), "");
  support::WriteBytes(folder_.File("plain"), {});
  platform::SetStateFolder(folder_.File("plain/state"));
  EXPECT_EXIT(
      {
        platform::WriteScoreFile(kName, 1);
        platform::CurrentBackend().EndProcess(0);
      },
      testing::ExitedWithCode(platform::kScoreNotSavedExitCode), "cannot save the best score");
}

// Root reads and writes past permissions, so these need a plain user.
TEST_F(ScoreFileTest, WithoutPermissionTheFileIsKeptAndTheFailureSaid) {
  if (::geteuid() == 0) GTEST_SKIP() << "run as root: permissions do not hold root back";
  const std::string folder = UseStateFolder("state");
  fs::create_directory(folder);
  const std::string path = folder + "/" + kName;
  support::WriteBytes(path, Le(10000));
  // A file of mode 000 is never replaced, and said to be unreadable once.
  fs::permissions(path, fs::perms::none);
  StderrCapture unreadable;
  EXPECT_EQ(platform::ReadScoreFile(kName), 0);
  EXPECT_FALSE(platform::WriteScoreFile(kName, 20));
  std::string errors = unreadable.Take();
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Describe(path), "file 10000");
  EXPECT_EQ(Lines(errors), 1) << errors;
  EXPECT_NE(errors.find(path + ": " + std::strerror(EACCES)), std::string::npos) << errors;
  // A folder without write permission takes no new best, and says why;
  // a best already there needs no writing.
  platform::ResetCore();
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  StderrCapture shut;
  EXPECT_FALSE(platform::WriteScoreFile(kName, 20000));
  EXPECT_TRUE(platform::WriteScoreFile(kName, 5000));
  errors = shut.Take();
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(Describe(path), "file 10000");
  EXPECT_TRUE(platform::ScoreSaveFailed());
  EXPECT_EQ(Lines(errors), 1) << errors;
  EXPECT_NE(errors.find("cannot save the best score in " + path + ": " + std::strerror(EACCES)),
            std::string::npos)
      << errors;
}

// Copies of the game saving at the same time, each its own rising bests:
// whatever the order, the highest stays.
TEST_F(ScoreFileTest, CopiesSavingAtOnceKeepTheHighestBest) {
  const std::string folder = UseStateFolder("state");
  constexpr int kCopies = 4;
  constexpr int kSaves = 150;
  std::vector<pid_t> copies;
  for (int copy = 0; copy < kCopies; ++copy) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool ok = true;
      // The highest copy saves its best first, the others keep going past it.
      for (int i = 0; i < kSaves; ++i) {
        ok = platform::WriteScoreFile(kName, copy == kCopies - 1 ? 1000000 - i : copy * 1000 + i) && ok;
      }
      std::_Exit(ok ? 0 : 1);
    }
    copies.push_back(child);
  }
  for (const pid_t child : copies) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
  }
  EXPECT_EQ(Describe(folder + "/" + kName), "file 1000000");
  EXPECT_EQ(Names(folder), (std::set<std::string>{kName, std::string(kName) + ".lock"}));
}

// Saves killed at any moment never damage the file, and what they leave
// is cleared by the next save; files of other names stay.
TEST_F(ScoreFileTest, SavesKilledAnywhereLeaveNothingAfterTheNextSave) {
  const std::string folder = UseStateFolder("state");
  fs::create_directory(folder);
  const pid_t gone = ::fork();
  ASSERT_GE(gone, 0);
  if (gone == 0) std::_Exit(0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  const std::string strays[] = {std::string(kName) + ".tmp-" + std::to_string(gone),
                                std::string(kName) + ".backup", std::string(kName) + ".tmp-1"};
  for (const std::string& stray : strays) support::WriteBytes(folder + "/" + stray, {1});
  std::int32_t highest = 0;
  for (int kill = 0; kill < 60; ++kill) {
    const pid_t saver = ::fork();
    ASSERT_GE(saver, 0);
    if (saver == 0) {
      for (std::int32_t value = 1000 * kill;; ++value) platform::WriteScoreFile(kName, value);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(300 + 97 * (kill % 20)));
    ::kill(saver, SIGKILL);
    ASSERT_EQ(::waitpid(saver, nullptr, 0), saver);
    const std::string now = Describe(folder + "/" + kName);
    EXPECT_TRUE(now == "missing" || (now.starts_with("file ") && now.find("bytes") == std::string::npos))
        << now;
    highest = 1000 * kill;
  }
  EXPECT_TRUE(platform::WriteScoreFile(kName, highest));
  EXPECT_EQ(Names(folder),
            (std::set<std::string>{kName, std::string(kName) + ".lock", strays[1], strays[2]}));
}

}  // namespace
