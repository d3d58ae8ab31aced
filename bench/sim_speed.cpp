// How many virtual seconds chompo-sim runs per real second. Each iteration
// runs the real program as a child process on purpose-made stages with the
// built pictures. The counter virtual_s_per_real_s is the answer on an idle
// machine; virtual_s_per_cpu_s counts the runner's own processor time only.
//   BM_Play: ten minutes of play (target: at least 200 times real time).
//   BM_AttractAndTitle: the screens that present on every pass, for scale.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

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
  state.counters["virtual_s_per_real_s"] = benchmark::Counter(virtualSeconds, benchmark::Counter::kIsRate);
  const double cpu = ChildrenCpuSeconds() - cpuBefore;
  state.counters["virtual_s_per_cpu_s"] = cpu > 0 ? virtualSeconds / cpu : 0.0;
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

}  // namespace

BENCHMARK_MAIN();
