// The input as chompo-sim's command line, split into arguments at NUL
// bytes. Options that parse are written back in the "--name=VALUE" form and
// must parse to the same options; a refusal must say why.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "chompo fuzz: %s\n", what.c_str());
  std::abort();
}

std::vector<std::string> Canonical(const sim::SimOptions& options) {
  std::vector<std::string> args;
  if (!options.dataDir.empty()) args.push_back("--data=" + options.dataDir);
  if (!options.scriptPath.empty()) args.push_back("--script=" + options.scriptPath);
  if (options.hasUntil) args.push_back("--until=" + std::to_string(options.untilMs));
  // Only when not the default: a replay takes its clock from the recording.
  if (options.clockStart != sim::SimOptions{}.clockStart) {
    args.push_back("--clock-start=" + std::to_string(options.clockStart));
  }
  if (!options.tracePath.empty()) args.push_back("--trace=" + options.tracePath);
  if (!options.framesDir.empty()) args.push_back("--frames=" + options.framesDir);
  if (!options.frameAt.empty()) {
    std::string list;
    for (const std::uint32_t ms : options.frameAt) list += (list.empty() ? "" : ",") + std::to_string(ms);
    args.push_back("--frame-at=" + list);
  }
  if (options.frameEvery != 0) args.push_back("--frame-every=" + std::to_string(options.frameEvery));
  if (!options.recordPath.empty()) args.push_back("--record=" + options.recordPath);
  if (!options.demoPath.empty()) args.push_back("--demo=" + options.demoPath);
  if (options.help) args.emplace_back("--help");
  return args;
}

bool Same(const sim::SimOptions& a, const sim::SimOptions& b) {
  return a.dataDir == b.dataDir && a.scriptPath == b.scriptPath && a.hasUntil == b.hasUntil &&
         a.untilMs == b.untilMs && a.clockStart == b.clockStart && a.tracePath == b.tracePath &&
         a.framesDir == b.framesDir && a.frameAt == b.frameAt && a.frameEvery == b.frameEvery &&
         a.recordPath == b.recordPath && a.demoPath == b.demoPath && a.help == b.help;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (size > 0) args.push_back(current);

  const sim::OptionsResult first = sim::ParseOptions(args);
  if (!first.ok) {
    if (first.error.empty()) Fail("a refusal without a reason");
    return 0;
  }
  const sim::OptionsResult second = sim::ParseOptions(Canonical(first.options));
  if (!second.ok) Fail("the written options are refused: " + second.error);
  if (!Same(first.options, second.options)) Fail("the written options read back differently");
  return 0;
}
