#include "support/sim_runner.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <thread>

#include "platform/replay/replayer.h"
#include "support/files.h"

namespace testsupport {

namespace {

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

SimWorkspace::SimWorkspace(const std::vector<StageRows>& stages) : folder_(stages) {
  if (!folder_.error().empty()) {
    ADD_FAILURE() << folder_.error();
  }
}

void SimWorkspace::WriteHighScore(std::int32_t value) const {
  std::string bytes;
  support::PutLe(bytes, static_cast<std::uint32_t>(value), 4);
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(scorePath()).parent_path(), error);
  if (!support::WriteText(scorePath(), bytes)) {
    ADD_FAILURE() << "cannot write the best score";
  }
}

std::optional<std::int32_t> SimWorkspace::ReadHighScore() const {
  const std::string bytes = support::ReadText(scorePath());
  std::int32_t value = 0;  // little-endian, as on every machine the tests run on
  std::memcpy(&value, bytes.data(), std::min<std::size_t>(bytes.size(), 4));
  return bytes.size() == 4 ? std::optional(value) : std::nullopt;
}

SimRun SimWorkspace::RunRaw(const std::vector<std::string>& args, const Disturbance& disturbance) const {
  // timeout hands the signals it gets on to the run; in the foreground it
  // sends each one to the run alone, not to the run and again to its group
  // (a second quit signal ends the program at once).
  std::vector<std::string> command = {"timeout", "--foreground", "-k", "5", "240"};
  for (std::string& part : folder_.Command(args)) command.push_back(std::move(part));
  SimRun run;
  const int child = support::StartProgram(command, root() + "/errors.txt", disturbance.fileSizeLimit);
  if (disturbance.signal != 0) {
    const auto tracePath = std::find(args.begin(), args.end(), "--trace");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto traceSize = [&]() -> std::uintmax_t {
      std::error_code missing;
      const std::uintmax_t size = std::filesystem::file_size(tracePath[1], missing);
      return missing ? 0 : size;
    };
    while (tracePath != args.end() && tracePath + 1 != args.end() &&
           traceSize() < disturbance.signalAfterBytes && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_LT(std::chrono::steady_clock::now(), giveUp) << "the trace never grew to the size to signal at";
    ::kill(child, disturbance.signal);
  }
  run.exitCode = support::WaitProgram(child);
  EXPECT_NE(run.exitCode, 124) << "chompo-sim ran for four minutes and was stopped";
  run.errors = support::ReadText(root() + "/errors.txt");
  return run;
}

SimRun SimWorkspace::Run(const std::string& script, const std::vector<std::string>& extra,
                         const Disturbance& disturbance) const {
  if (!support::WriteText(root() + "/script.txt", script)) {
    ADD_FAILURE() << "cannot write the script";
  }
  std::vector<std::string> args = {"--script", root() + "/script.txt"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::uint32_t clockStart = 0x10000;
  const auto given = std::find(extra.begin(), extra.end(), "--clock-start");
  if (given != extra.end() && given + 1 != extra.end()) {
    clockStart = static_cast<std::uint32_t>(std::stoul(given[1], nullptr, 0));
  }
  return Traced(args, clockStart, disturbance);
}

SimRun SimWorkspace::Replay(const std::string& recording, const std::vector<std::string>& extra) const {
  std::vector<std::string> args = {"--demo", recording};
  args.insert(args.end(), extra.begin(), extra.end());
  platform::replay::Recording header;
  std::string error;
  platform::replay::LoadRecording(recording, header, error);
  return Traced(args, header.header.startClock);
}

SimRun SimWorkspace::Traced(const std::vector<std::string>& extra, std::uint32_t clockStart,
                            const Disturbance& disturbance) const {
  const std::string tracePath = root() + "/trace.jsonl";
  std::filesystem::remove(tracePath);
  std::vector<std::string> args = {"--data", dataDir(), "--trace", tracePath};
  args.insert(args.end(), extra.begin(), extra.end());
  SimRun run = RunRaw(args, disturbance);
  run.clockStart = clockStart;
  std::ifstream trace(tracePath);
  for (std::string text; std::getline(trace, text);) {
    std::size_t at = 0;
    run.lines.push_back(text);
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
  RgbImage image;
  const std::string error = DecodePng(support::ReadBytes(framesDir() + name), image);
  EXPECT_EQ(error, "") << framesDir() << name;
  return image;
}

}  // namespace testsupport
