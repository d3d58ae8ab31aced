// Start-up: LoadCatalogue over the game's own data files, copied to a
// scratch folder so the high-score file the release writes lands there.
#include "game/catalogue.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench_window.h"
#include "game/globals.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"

namespace {

void BM_LoadCatalogue(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path data(CHOMPO_DATA_DIR);
  if (!fs::exists(data / "Mog1.bmp")) {
    state.SkipWithError("no data folder: build the chompo_data target first");
    return;
  }
  std::string pattern = (fs::temp_directory_path() / "chompo-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const fs::path scratch(pattern);
  fs::copy(data, scratch, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  const fs::path previousDir = fs::current_path();
  fs::current_path(scratch);

  platform::Backend* previous = &platform::CurrentBackend();
  platform::HeadlessBackend backend;
  platform::ResetCore();
  platform::SetBackend(&backend);
  HWND window = bench::OpenBenchWindow();
  soundDevice.Open(window);

  for (auto _ : state) {
    LoadCatalogue();
    state.PauseTiming();
    ReleaseCatalogue();
    state.ResumeTiming();
  }
  state.counters["pictures"] = 46;
  state.counters["effects"] = 5;

  soundDevice.Close();
  display.Release();
  platform::ResetCore();
  platform::SetBackend(previous);
  fs::current_path(previousDir);
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
