#include "support/sim_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace testsupport {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file.write(text.data(), static_cast<std::streamsize>(text.size()))) {
    ADD_FAILURE() << "cannot write " << path;
  }
}

void PutI32(std::string& out, std::int32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out += static_cast<char>(static_cast<std::uint32_t>(value) >> shift);
  }
}

// "StageData.map" and "StageData.scp" in the game's byte format.
void WriteStages(const std::string& dir, const std::vector<StageRows>& stages) {
  std::string map;
  std::string script;
  PutI32(map, static_cast<std::int32_t>(stages.size()));
  PutI32(script, static_cast<std::int32_t>(stages.size()));
  for (std::size_t n = 0; n < stages.size(); ++n) {
    std::string cells;
    for (const std::string& row : stages[n]) {
      cells += row.size() == 20 ? row : "bad row";
    }
    if (cells.size() != 18 * 20 || cells.find_first_not_of("#*.o P0123") != std::string::npos) {
      ADD_FAILURE() << "stage " << n + 1 << " is not 18 rows of 20 known cells";
    }
    PutI32(map, static_cast<std::int32_t>(n + 1));
    PutI32(script, static_cast<std::int32_t>(n + 1));
    for (char cell : cells) {
      PutI32(map, cell == '#' || cell == '*' ? 1 : 0);
    }
    for (char cell : cells) {
      PutI32(map, cell == 'o' ? 2 : cell == '.' || cell == '*' ? 1 : 0);
    }
    // Five names of 11 bytes in all keep each record at 65 bytes.
    const std::string names[5] = {"Pla", "G0", "G1", "G2", "G3"};
    for (int actor = 0; actor < 5; ++actor) {
      const std::size_t at = cells.find("P0123"[actor]);
      EXPECT_NE(at, std::string::npos) << "stage " << n + 1 << " lacks the start of " << names[actor];
      script += static_cast<char>(names[actor].size()) + names[actor] + '\0';
      PutI32(script, static_cast<std::int32_t>(at % 20));
      PutI32(script, static_cast<std::int32_t>(at / 20));
    }
  }
  WriteText(dir + "/StageData.map", map);
  WriteText(dir + "/StageData.scp", script);
}

// The trace is written without spaces, and read back so.
bool Eat(std::string_view text, std::size_t& at, std::string_view word) {
  const bool found = text.substr(at, word.size()) == word;
  at += found ? word.size() : 0;
  return found;
}

// A string without escapes: the trace writes none.
bool ReadString(std::string_view text, std::size_t& at, std::string& out) {
  const std::size_t end = Eat(text, at, "\"") ? text.find('"', at) : std::string_view::npos;
  if (end == std::string_view::npos) {
    return false;
  }
  out = text.substr(at, end - at);
  at = end + 1;
  return out.find('\\') == std::string::npos;
}

bool ReadValue(std::string_view text, std::size_t& at, const std::string& path, TraceLine& line) {
  const bool object = Eat(text, at, "{");
  if (object || Eat(text, at, "[")) {
    const std::string prefix = path.empty() ? "" : path + ".";
    for (int index = 0; !Eat(text, at, object ? "}" : "]"); ++index) {
      std::string key = std::to_string(index);
      if ((index > 0 && !Eat(text, at, ",")) ||
          (object && !(ReadString(text, at, key) && Eat(text, at, ":"))) ||
          !ReadValue(text, at, prefix + key, line)) {
        return false;
      }
    }
    return true;
  }
  std::string& value = line.fields[path];
  if (Eat(text, at, "null")) {
    value = "null";
    return true;
  }
  if (at < text.size() && text[at] == '"') {
    return ReadString(text, at, value);
  }
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), number);
  value.assign(text.data() + at, end);
  at = static_cast<std::size_t>(end - text.data());
  return error == std::errc();
}

}  // namespace

std::int64_t TraceLine::Int(const std::string& path) const {
  const std::string text = Str(path);
  std::int64_t number = 0;
  std::from_chars(text.data(), text.data() + text.size(), number);
  return number;
}

std::string TraceLine::Str(const std::string& path) const {
  const auto found = fields.find(path);
  return found == fields.end() ? "" : found->second;
}

SimWorkspace::SimWorkspace(const std::vector<StageRows>& stages) {
  std::string pattern = (fs::temp_directory_path() / "chompo-sim-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a workspace";
    return;
  }
  root_ = pattern;
  fs::create_directories(dataDir());
  for (const fs::directory_entry& entry : fs::directory_iterator(CHOMPO_DATA_DIR)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.rfind("StageData.", 0) != 0 && name != "HighScore.sco") {
      fs::copy_file(entry.path(), fs::path(dataDir()) / name);
    }
  }
  WriteStages(dataDir(), stages);
}

SimWorkspace::~SimWorkspace() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void SimWorkspace::WriteHighScore(std::int32_t value) const {
  std::string bytes;
  PutI32(bytes, value);
  WriteText(dataDir() + "/HighScore.sco", bytes);
}

std::optional<std::int32_t> SimWorkspace::ReadHighScore() const {
  const std::string bytes = ReadText(dataDir() + "/HighScore.sco");
  std::int32_t value = 0;  // little-endian, as on every machine the tests run on
  std::memcpy(&value, bytes.data(), std::min<std::size_t>(bytes.size(), 4));
  return bytes.size() == 4 ? std::optional(value) : std::nullopt;
}

SimRun SimWorkspace::RunRaw(const std::vector<std::string>& args) const {
  // Single quotes are safe: no path or value a test passes holds one.
  std::string command = "timeout -k 5 240 '" CHOMPO_BINARY_DIR "/chompo-sim'";
  for (const std::string& arg : args) {
    command += " '" + arg + "'";
  }
  const int status = std::system((command + " >/dev/null 2>'" + root_ + "/errors.txt'").c_str());
  SimRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  EXPECT_NE(run.exitCode, 124) << "chompo-sim ran for four minutes and was stopped";
  run.errors = ReadText(root_ + "/errors.txt");
  return run;
}

SimRun SimWorkspace::Run(const std::string& script, const std::vector<std::string>& extra) const {
  const std::string tracePath = root_ + "/trace.jsonl";
  WriteText(root_ + "/script.txt", script);
  fs::remove(tracePath);
  std::vector<std::string> args = {"--data",  dataDir(), "--script", root_ + "/script.txt",
                                   "--trace", tracePath};
  args.insert(args.end(), extra.begin(), extra.end());
  SimRun run = RunRaw(args);
  const auto clockStart = std::find(extra.begin(), extra.end(), "--clock-start");
  if (clockStart != extra.end() && clockStart + 1 != extra.end()) {
    run.clockStart = static_cast<std::uint32_t>(std::stoul(clockStart[1], nullptr, 0));
  }
  std::ifstream trace(tracePath);
  for (std::string text; std::getline(trace, text);) {
    std::size_t at = 0;
    TraceLine& line = run.trace.emplace_back();
    EXPECT_TRUE(text.starts_with('{') && ReadValue(text, at, "", line) && at == text.size())
        << "in the trace: " << text;
    if (line.Str("event") == "frame") {
      run.frames.push_back(line);
    } else if (line.Str("event") == "state") {
      run.states.push_back(
          {run.Elapsed(line), static_cast<int>(line.Int("from")), static_cast<int>(line.Int("to"))});
    }
  }
  return run;
}

RgbImage SimWorkspace::Frame(std::uint32_t elapsedMs) const {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%08u.png", static_cast<unsigned>(elapsedMs));
  const std::string bytes = ReadText(framesDir() + name);
  RgbImage image;
  const std::string error = DecodePng(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), image);
  EXPECT_EQ(error, "") << framesDir() << name;
  return image;
}

}  // namespace testsupport
