// How many virtual seconds chompo-sim runs per real second. Each iteration
// runs the real program as a child process on purpose-made stages with the
// built pictures. The counter virtual_s_per_real_s is the answer on an idle
// machine; virtual_s_per_cpu_s counts the runner's own processor time only.
//   BM_Play: ten minutes of play (target: at least 500 times real time).
//   BM_AttractAndTitle: one cycle of the screens that compose a picture on
//   every pass (target: at least 200 times real time).
//   BM_Credits: the credits screen alone, which composes on every pass too
//   (same target).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/sim_folder.h"

namespace {

// The ghosts roam a lattice full of dots in the lower half, too far from the
// player to chase; the player walks its own corridor at the top. A dot on a
// wall keeps the stage going for as long as the run lasts.
const support::StageRows kMaze = {
    "####################", "#  ..............P*#", "####################", "####################",
    "####################", "####################", "####################", "####################",
    "####################", "#..................#", "#.###.####.####.##.#", "#..0.....1.....2...#",
    "#.###.####.####.##.#", "#........3.........#", "#.###.####.####.##.#", "#..................#",
    "####################", "####################",
};

// The built pictures, sounds and font with that one stage, and a script
// that starts a game.
struct Workspace {
  support::SimFolder folder{{kMaze}};
  std::string startScript = folder.root() + "/start.txt";
  bool ready =
      folder.error().empty() && support::WriteText(startScript, "100 press SPACE\n140 release SPACE\n");
};

const Workspace& TheWorkspace() {
  static const Workspace workspace;
  return workspace;
}

// Ten stages of one to three dots just left of the player, eaten within
// half a second each: one Space plays them through, cut-scenes and all, to
// the credits, which then stay up. They come up about 105 s into the run.
std::vector<support::StageRows> TenQuickStages() {
  std::vector<support::StageRows> stages;
  for (int n = 1; n <= 10; ++n) {
    const int dots = n % 3 + 1;
    support::StageRows rows(18, std::string(20, '#'));
    rows[1] = "#" + std::string(5 - dots, ' ') + std::string(dots, '.') + "P            #";
    rows[10] = "#0 1 2 3           #";
    stages.push_back(rows);
  }
  return stages;
}

struct CreditsWorkspace {
  support::SimFolder folder{TenQuickStages()};
  std::string startScript = folder.root() + "/start.txt";
  bool ready =
      folder.error().empty() && support::WriteText(startScript, "100 press SPACE\n140 release SPACE\n");
};

// Processor time of the finished children, which a busy machine does not
// inflate the way it inflates real time.
double ChildrenCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void SetRates(benchmark::State& state, double virtualSeconds, double cpuSeconds) {
  state.counters["virtual_s_per_real_s"] = benchmark::Counter(virtualSeconds, benchmark::Counter::kIsRate);
  state.counters["virtual_s_per_cpu_s"] = cpuSeconds > 0 ? virtualSeconds / cpuSeconds : 0.0;
}

void RunFor(benchmark::State& state, const std::vector<std::string>& args, std::uint32_t virtualMs) {
  if (!TheWorkspace().ready) {
    state.SkipWithError(("no data folder for chompo-sim: " + TheWorkspace().folder.error()).c_str());
    return;
  }
  const std::vector<std::string> command = TheWorkspace().folder.Command(args);
  const double cpuBefore = ChildrenCpuSeconds();
  for (auto _ : state) {
    if (support::RunProgram(command) != 2) {
      state.SkipWithError("chompo-sim did not run to its --until");
      break;
    }
  }
  const double virtualSeconds =
      static_cast<double>(virtualMs) / 1000.0 * static_cast<double>(state.iterations());
  SetRates(state, virtualSeconds, ChildrenCpuSeconds() - cpuBefore);
}

void BM_Play(benchmark::State& state) {
  constexpr std::uint32_t kTenMinutes = 600000;
  const Workspace& workspace = TheWorkspace();
  RunFor(state,
         {"--data", workspace.folder.dataDir(), "--script", workspace.startScript, "--until",
          std::to_string(kTenMinutes)},
         kTenMinutes);
}
BENCHMARK(BM_Play)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_AttractAndTitle(benchmark::State& state) {
  constexpr std::uint32_t kOneCycle = 50000;
  RunFor(state, {"--data", TheWorkspace().folder.dataDir(), "--until", std::to_string(kOneCycle)}, kOneCycle);
}
BENCHMARK(BM_AttractAndTitle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Each iteration runs to just past the start of the credits and then to a
// minute later; only the difference counts.
void BM_Credits(benchmark::State& state) {
  static const CreditsWorkspace workspace;
  if (!workspace.ready) {
    state.SkipWithError(("no data folder for chompo-sim: " + workspace.folder.error()).c_str());
    return;
  }
  constexpr std::uint32_t kCreditsUp = 106000;
  constexpr std::uint32_t kOneMinute = 60000;
  const auto command = [&](std::uint32_t until) {
    return workspace.folder.Command({"--data", workspace.folder.dataDir(), "--script", workspace.startScript,
                                     "--until", std::to_string(until)});
  };
  const std::vector<std::string> commands[2] = {command(kCreditsUp), command(kCreditsUp + kOneMinute)};
  double cpu = 0;
  for (auto _ : state) {
    double seconds[2] = {};
    for (int i = 0; i < 2; ++i) {
      const double cpuBefore = ChildrenCpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      if (support::RunProgram(commands[i]) != 2) {
        state.SkipWithError("chompo-sim did not run to its --until");
        return;
      }
      seconds[i] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      cpu += (i == 0 ? -1 : 1) * (ChildrenCpuSeconds() - cpuBefore);
    }
    state.SetIterationTime(seconds[1] - seconds[0]);
  }
  SetRates(state, static_cast<double>(kOneMinute) / 1000.0 * static_cast<double>(state.iterations()), cpu);
}
BENCHMARK(BM_Credits)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
