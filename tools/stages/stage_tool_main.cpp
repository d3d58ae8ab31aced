// stage_tool [--test-stages] [--report] --out DIR map1.txt ... mapN.txt
//
// Checks every maze source and, only when all of them keep the rules, writes
// DIR/StageData.map and DIR/StageData.scp with the stages in the order given.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "stage_files.h"
#include "stage_rules.h"
#include "stage_source.h"
#include "tool_io.h"

namespace {

constexpr std::size_t kProblemsShownPerStage = 25;

int Usage() {
  std::fprintf(stderr, "usage: stage_tool [--test-stages] [--report] --out DIR map1.txt ... mapN.txt\n");
  return 2;
}

void PrintProblems(const std::vector<stages::Problem>& problems) {
  std::size_t shown = 0;
  for (std::size_t i = 0; i < problems.size(); ++i) {
    if (i > 0 && problems[i].stage != problems[i - 1].stage) shown = 0;
    if (shown == kProblemsShownPerStage) {
      std::fprintf(stderr, "stage_tool: stage %d: more problems not shown\n", problems[i].stage);
    }
    if (shown++ >= kProblemsShownPerStage) continue;
    std::fprintf(stderr, "stage_tool: %s\n", stages::FormatProblem(problems[i]).c_str());
  }
}

void PrintReport(const std::vector<stages::Stage>& set) {
  std::printf("stage  dots  large  open  junctions  crossings  tunnels  corridor\n");
  for (const stages::Stage& stage : set) {
    const stages::StageMeasures m = stages::MeasureStage(stage);
    std::printf("%5d  %4d  %5d  %4d  %9d  %9d  %7d  %8.2f\n", stage.number, m.dots, m.largeDots, m.openCells,
                m.junctions, m.crossings, m.tunnels, m.meanCorridor);
  }
}

}  // namespace

int main(int argc, char** argv) {
  stages::RuleOptions options;
  bool report = false;
  std::string outDir;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--test-stages") {
      options.testStages = true;
    } else if (arg == "--report") {
      report = true;
    } else if (arg == "--out") {
      if (++i >= argc) return Usage();
      outDir = argv[i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      sources.push_back(arg);
    }
  }
  if (outDir.empty() || sources.empty()) return Usage();

  std::vector<stages::Stage> set;
  std::vector<stages::Problem> problems;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::string name = tool::BaseName(sources[i]);
    std::vector<std::string> lines;
    std::string error;
    if (!tool::ReadTextLines(sources[i], lines, error)) {
      problems.push_back(stages::Problem{number, name, 0, -1, -1, "source", error});
      continue;
    }
    stages::Stage stage;
    if (stages::ParseStage(lines, number, name, stage, problems)) {
      const std::vector<stages::Problem> broken = stages::CheckStage(stage, options);
      problems.insert(problems.end(), broken.begin(), broken.end());
    }
    set.push_back(stage);
  }
  const std::vector<stages::Problem> setProblems = stages::CheckStageSet(set, options);
  problems.insert(problems.end(), setProblems.begin(), setProblems.end());
  if (report) PrintReport(set);
  if (!problems.empty()) {
    PrintProblems(problems);
    std::fprintf(stderr, "stage_tool: %zu problem%s, nothing written\n", problems.size(),
                 problems.size() == 1 ? "" : "s");
    return 1;
  }

  std::string error;
  if (!tool::WriteFileAtomically(outDir + "/" + formats::kStageMapFile, stages::EncodeStageMap(set), error) ||
      !tool::WriteFileAtomically(outDir + "/" + formats::kStageScriptFile, stages::EncodeStageScript(set),
                                 error)) {
    std::fprintf(stderr, "stage_tool: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
