// chompo-sim: the whole game on the headless back end, driven by a script on
// a virtual clock, with a trace and captured pictures.
#include <cstdio>
#include <string>
#include <vector>

#include "main/data_check.h"
#include "sim/sim_options.h"
#include "sim/sim_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const sim::OptionsResult parsed = sim::ParseOptions(args);
  if (!parsed.ok) {
    std::fprintf(stderr, "chompo-sim: %s\nTry chompo-sim --help.\n", parsed.error.c_str());
    return sim::kRefusedExitCode;
  }
  if (parsed.options.help) {
    std::fputs(sim::UsageText().c_str(), stdout);
    return 0;
  }
  sim::SimOptions options = parsed.options;
  options.installedDataDirs = {CHOMPO_DATA_FROM_PROGRAM, CHOMPO_INSTALLED_DATA_DIR};
  options.dataFileNames = entry::DataFileNames();
  return sim::RunSimulation(options);
}
