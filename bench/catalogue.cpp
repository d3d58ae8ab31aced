// Start-up: LoadCatalogue over the game's own data files, copied to a
// scratch folder so the high-score file the release writes lands there.
#include "game/catalogue.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <system_error>

#include "game/globals.h"
#include "support/game_window.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace {

void BM_LoadCatalogue(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path data(CHOMPO_DATA_DIR);
  if (!fs::exists(data / "Mog1.bmp")) {
    state.SkipWithError("no data folder: build the chompo_data target first");
    return;
  }
  std::error_code error;
  const support::TempFolder scratch("chompo-bench", support::TempFolder::Place::Disk, error);
  if (error) {
    state.SkipWithError("no scratch folder");
    return;
  }
  fs::copy(data, scratch.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  const support::InFolder here(scratch.path());

  support::HeadlessEnv env;
  HWND window = support::OpenGameWindow();
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
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
