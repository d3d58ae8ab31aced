#include "support/sim_folder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>

#include <filesystem>

#include "support/files.h"

extern char** environ;

namespace support {

namespace fs = std::filesystem;

std::string WriteStageFiles(const std::string& dir, const std::vector<StageRows>& stages) {
  std::string problems;
  std::string map;
  std::string script;
  PutLe(map, static_cast<std::uint32_t>(stages.size()), 4);
  PutLe(script, static_cast<std::uint32_t>(stages.size()), 4);
  for (std::size_t n = 0; n < stages.size(); ++n) {
    const std::string stage = "stage " + std::to_string(n + 1);
    std::string cells;
    for (const std::string& row : stages[n]) {
      cells += row.size() == 20 ? row : "bad row";
    }
    if (cells.size() != 18 * 20 || cells.find_first_not_of("#*.o P0123") != std::string::npos) {
      problems += stage + " is not 18 rows of 20 known cells\n";
    }
    PutLe(map, static_cast<std::uint32_t>(n + 1), 4);
    PutLe(script, static_cast<std::uint32_t>(n + 1), 4);
    for (char cell : cells) {
      PutLe(map, cell == '#' || cell == '*' ? 1 : 0, 4);
    }
    for (char cell : cells) {
      PutLe(map, cell == 'o' ? 2 : cell == '.' || cell == '*' ? 1 : 0, 4);
    }
    // Five names of 11 bytes in all keep each record at 65 bytes.
    const std::string names[5] = {"Pla", "G0", "G1", "G2", "G3"};
    for (int actor = 0; actor < 5; ++actor) {
      const std::size_t at = cells.find("P0123"[actor]);
      if (at == std::string::npos) {
        problems += stage + " lacks the start of " + names[actor] + "\n";
      }
      script += static_cast<char>(names[actor].size()) + names[actor] + '\0';
      PutLe(script, static_cast<std::uint32_t>(at % 20), 4);
      PutLe(script, static_cast<std::uint32_t>(at / 20), 4);
    }
  }
  for (const auto& [name, bytes] : {std::pair{"StageData.map", &map}, {"StageData.scp", &script}}) {
    if (!WriteText(dir + "/" + name, *bytes)) problems += std::string("cannot write ") + name + "\n";
  }
  return problems;
}

std::string SimProgram() { return CHOMPO_BINARY_DIR "/chompo-sim"; }

int StartProgram(const std::vector<std::string>& argv, const std::string& errorsPath,
                 std::optional<std::uint64_t> fileSizeLimit) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!errorsPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  // The child inherits the limit and the ignored signal, so a write past
  // the limit fails as on a full disk instead of killing it.
  rlimit before{};
  ::getrlimit(RLIMIT_FSIZE, &before);
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  if (fileSizeLimit) {
    rlimit limited = before;
    limited.rlim_cur = static_cast<rlim_t>(*fileSizeLimit);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    ::sigaction(SIGXFSZ, &ignore, &previous);
  }
  pid_t child = 0;
  const int failed = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  if (fileSizeLimit) {
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::sigaction(SIGXFSZ, &previous, nullptr);
  }
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? child : -1;
}

int WaitProgram(int child) {
  int status = 0;
  if (child <= 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

int RunProgram(const std::vector<std::string>& argv, const std::string& errorsPath) {
  return WaitProgram(StartProgram(argv, errorsPath));
}

std::vector<std::string> SimFolder::Command(const std::vector<std::string>& args) const {
  std::vector<std::string> command = {"env", "XDG_DATA_HOME=" + userHome() + "/data",
                                      "XDG_CONFIG_HOME=" + userHome() + "/config", SimProgram()};
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

SimFolder::SimFolder(const std::vector<StageRows>& stages)
    : folder_("chompo-sim", TempFolder::Place::Disk, madeError_) {
  if (madeError_) {
    error_ = "cannot make a folder: " + madeError_.message();
    return;
  }
  std::error_code error;
  if (!fs::create_directory(dataDir(), error)) {
    error_ = "cannot make " + dataDir() + ": " + error.message();
    return;
  }
  // As after the player's first game: the per-user folder is there.
  if (!fs::create_directories(fs::path(scorePath()).parent_path(), error)) {
    error_ = "cannot make the folder of " + scorePath() + ": " + error.message();
    return;
  }
  // Everything built but the stages and the best score.
  for (const fs::directory_entry& entry : fs::directory_iterator(CHOMPO_DATA_DIR, error)) {
    const std::string name = entry.path().filename().string();
    std::error_code copying;
    if (entry.is_regular_file() && name.rfind("StageData.", 0) != 0 && name != "HighScore.sco" &&
        !fs::copy_file(entry.path(), fs::path(dataDir()) / name, copying)) {
      error_ += "cannot copy " + name + ": " + copying.message() + "\n";
    }
  }
  if (error) error_ += "cannot read " CHOMPO_DATA_DIR ": " + error.message() + "\n";
  error_ += WriteStageFiles(dataDir(), stages);
}

}  // namespace support
