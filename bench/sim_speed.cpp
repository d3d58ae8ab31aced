// How many virtual seconds chompo-sim runs per real second. Each iteration
// runs the real program as a child process on purpose-made stages with the
// built pictures. The counter virtual_s_per_real_s is the answer on an idle
// machine; virtual_s_per_cpu_s counts the runner's own processor time only.
//   BM_Play: ten minutes of play (target: at least 200 times real time).
//   BM_AttractAndTitle: the screens that present on every pass, for scale.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

void PutI32(std::ofstream& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const char bytes[4] = {static_cast<char>(bits), static_cast<char>(bits >> 8), static_cast<char>(bits >> 16),
                         static_cast<char>(bits >> 24)};
  out.write(bytes, 4);
}

// The ghosts roam a lattice full of dots in the lower half, too far from the
// player to chase; the player walks its own corridor at the top. A dot on a
// wall keeps the stage going for as long as the run lasts.
const std::vector<std::string> kMaze = {
    "####################", "#  ..............P*#", "####################", "####################",
    "####################", "####################", "####################", "####################",
    "####################", "#..................#", "#.###.####.####.##.#", "#..0.....1.....2...#",
    "#.###.####.####.##.#", "#........3.........#", "#.###.####.####.##.#", "#..................#",
    "####################", "####################",
};

// A data folder beside the built one: its pictures, sounds and font, and
// one stage.
std::string MakeDataFolder() {
  const fs::path folder = fs::temp_directory_path() / ("chompo-sim-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(CHOMPO_DATA_DIR, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.rfind("StageData.", 0) != 0 && name != "HighScore.sco") {
      fs::copy_file(entry.path(), folder / name, fs::copy_options::overwrite_existing, error);
    }
  }
  std::ofstream map(folder / "StageData.map", std::ios::binary);
  std::ofstream script(folder / "StageData.scp", std::ios::binary);
  PutI32(map, 1);
  PutI32(map, 1);
  for (int layer = 0; layer < 2; ++layer) {
    for (const std::string& row : kMaze) {
      for (char cell : row) {
        PutI32(map, layer == 0 ? (cell == '#' || cell == '*' ? 1 : 0) : (cell == '.' || cell == '*' ? 1 : 0));
      }
    }
  }
  PutI32(script, 1);
  PutI32(script, 1);
  const char* const names[5] = {"Pla", "G0", "G1", "G2", "G3"};
  const char actors[5] = {'P', '0', '1', '2', '3'};
  for (int actor = 0; actor < 5; ++actor) {
    for (int row = 0; row < 18; ++row) {
      const std::size_t column = kMaze[static_cast<std::size_t>(row)].find(actors[actor]);
      if (column != std::string::npos) {
        const std::string name = names[actor];
        script.put(static_cast<char>(name.size()));
        script.write(name.data(), static_cast<std::streamsize>(name.size()));
        script.put(0);
        PutI32(script, static_cast<std::int32_t>(column));
        PutI32(script, row);
      }
    }
  }
  std::ofstream(folder / "start.txt") << "100 press SPACE\n140 release SPACE\n";
  return folder.string();
}

int RunSim(const std::vector<std::string>& args) {
  const std::string program = (fs::path(CHOMPO_DATA_DIR).parent_path() / "chompo-sim").string();
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Processor time of the finished children, which a busy machine does not
// inflate the way it inflates real time.
double ChildrenCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunFor(benchmark::State& state, const std::vector<std::string>& args, std::uint32_t virtualMs) {
  const double cpuBefore = ChildrenCpuSeconds();
  for (auto _ : state) {
    if (RunSim(args) != 2) {
      state.SkipWithError("chompo-sim did not run to its --until");
      break;
    }
  }
  const double virtualSeconds = static_cast<double>(virtualMs) / 1000.0 * static_cast<double>(state.iterations());
  state.counters["virtual_s_per_real_s"] = benchmark::Counter(virtualSeconds, benchmark::Counter::kIsRate);
  const double cpu = ChildrenCpuSeconds() - cpuBefore;
  state.counters["virtual_s_per_cpu_s"] = cpu > 0 ? virtualSeconds / cpu : 0.0;
}

const std::string& DataFolder() {
  static const std::string folder = MakeDataFolder();
  return folder;
}

void BM_Play(benchmark::State& state) {
  constexpr std::uint32_t kTenMinutes = 600000;
  RunFor(state, {"--data", DataFolder(), "--script", DataFolder() + "/start.txt", "--until",
                 std::to_string(kTenMinutes)},
         kTenMinutes);
}
BENCHMARK(BM_Play)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_AttractAndTitle(benchmark::State& state) {
  constexpr std::uint32_t kOneCycle = 50000;
  RunFor(state, {"--data", DataFolder(), "--until", std::to_string(kOneCycle)}, kOneCycle);
}
BENCHMARK(BM_AttractAndTitle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  fs::remove_all(DataFolder(), error);
  return 0;
}
