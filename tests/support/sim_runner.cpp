#include "support/sim_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

namespace testsupport {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    ADD_FAILURE() << "cannot write " << path;
  }
}

}  // namespace

std::vector<const JsonValue*> SimRun::Lines(const std::string& event) const {
  std::vector<const JsonValue*> lines;
  for (const JsonValue& line : trace) {
    if (line["event"].Str() == event) {
      lines.push_back(&line);
    }
  }
  return lines;
}

std::vector<StateChange> SimRun::States() const {
  std::vector<StateChange> changes;
  for (const JsonValue* line : Lines("state")) {
    changes.push_back({Elapsed(*line), static_cast<int>((*line)["from"].Int()), static_cast<int>((*line)["to"].Int())});
  }
  return changes;
}

std::string ChompoSimPath() { return std::string(CHOMPO_BINARY_DIR) + "/chompo-sim"; }

int RunChompoSimRaw(const std::vector<std::string>& args, std::string& errors, int timeoutSeconds) {
  char errorsPath[] = "/tmp/chompo-sim-errors-XXXXXX";
  const int errorsFile = ::mkstemp(errorsPath);
  if (errorsFile < 0) {
    ADD_FAILURE() << "cannot create a file for the runner's messages";
    return -1;
  }
  const std::string program = ChompoSimPath();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(errorsFile, STDERR_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY);
    ::dup2(nowhere, STDOUT_FILENO);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(errorsFile);
  if (child < 0) {
    ADD_FAILURE() << "cannot start " << program;
    ::unlink(errorsPath);
    return -1;
  }

  int status = 0;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > giveUp) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      ADD_FAILURE() << "chompo-sim ran longer than " << timeoutSeconds << " s and was stopped";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  errors = ReadText(errorsPath);
  ::unlink(errorsPath);
  if (WIFEXITED(status)) {
    return WEXITSTATUS(status);
  }
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

std::vector<JsonValue> ReadTraceFile(const std::string& path) {
  std::vector<JsonValue> lines;
  std::ifstream file(path);
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    std::optional<JsonValue> value = JsonValue::Parse(line);
    if (!value || value->type() != JsonValue::Type::Object) {
      ADD_FAILURE() << path << ":" << number << " is not a JSON object: " << line;
      continue;
    }
    lines.push_back(std::move(*value));
  }
  return lines;
}

SimWorkspace::SimWorkspace(const std::vector<TestStage>& stages) {
  std::string pattern = (fs::temp_directory_path() / "chompo-sim-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a workspace";
    return;
  }
  root_ = pattern;
  fs::create_directories(dataDir());
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(CHOMPO_DATA_DIR, error)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.rfind("StageData.", 0) == 0 || name == "HighScore.sco") {
      continue;
    }
    fs::copy_file(entry.path(), fs::path(dataDir()) / name, error);
    hasGamePictures_ = hasGamePictures_ || name == "wall1.bmp";
  }
  WriteBytes(dataDir() + "/StageData.map", EncodeStageMap(stages));
  WriteBytes(dataDir() + "/StageData.scp", EncodeStageScript(stages));
}

SimWorkspace::~SimWorkspace() {
  if (!root_.empty()) {
    std::error_code error;
    fs::remove_all(root_, error);
  }
}

void SimWorkspace::WriteHighScore(std::int32_t value) const {
  std::vector<std::uint8_t> bytes;
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
  }
  WriteBytes(dataDir() + "/HighScore.sco", bytes);
}

std::optional<std::int32_t> SimWorkspace::ReadHighScore() const {
  const std::string bytes = ReadText(dataDir() + "/HighScore.sco");
  if (bytes.size() != 4) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
  }
  return static_cast<std::int32_t>(value);
}

void SimWorkspace::RemoveHighScore() const {
  std::error_code error;
  fs::remove(dataDir() + "/HighScore.sco", error);
}

SimRun SimWorkspace::Run(const std::string& script, const std::vector<std::string>& extra,
                         int timeoutSeconds) const {
  const std::string scriptPath = root_ + "/script.txt";
  const std::string tracePath = root_ + "/trace.jsonl";
  WriteBytes(scriptPath, std::vector<std::uint8_t>(script.begin(), script.end()));
  std::error_code error;
  fs::remove(tracePath, error);

  std::vector<std::string> args = {"--data", dataDir(), "--script", scriptPath, "--trace", tracePath};
  args.insert(args.end(), extra.begin(), extra.end());
  SimRun run;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--clock-start") {
      run.clockStart = static_cast<std::uint32_t>(std::stoul(args[i + 1], nullptr, 0));
    }
  }
  run.exitCode = RunChompoSimRaw(args, run.errors, timeoutSeconds);
  run.trace = ReadTraceFile(tracePath);
  return run;
}

RgbImage SimWorkspace::Frame(std::uint32_t elapsedMs) const {
  RgbImage image;
  std::string error;
  char name[32];
  std::snprintf(name, sizeof name, "frame-%08u.png", static_cast<unsigned>(elapsedMs));
  const std::string path = framesDir() + "/" + name;
  if (!ReadStoredPng(path, image, error)) {
    ADD_FAILURE() << path << ": " << error;
  }
  return image;
}

}  // namespace testsupport
