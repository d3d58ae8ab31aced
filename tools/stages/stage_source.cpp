#include "stage_source.h"

namespace stages {

std::string FormatProblem(const Problem& problem) {
  if (problem.stage <= 0) return problem.source + ": " + problem.rule + ": " + problem.detail;
  std::string text = "stage " + std::to_string(problem.stage) + " (" + problem.source;
  if (problem.line > 0) text += " line " + std::to_string(problem.line);
  text += ")";
  if (problem.row >= 0) {
    text += ", row " + std::to_string(problem.row) + ", column " + std::to_string(problem.column);
  }
  text += ": " + problem.rule + ": " + problem.detail;
  return text;
}

namespace {

const char* const kStartNames[kStageActors] = {"the player", "ghost 0", "ghost 1", "ghost 2", "ghost 3"};

int ActorForMarker(char c) {
  if (c == 'P') return 0;
  if (c >= '0' && c <= '3') return 1 + (c - '0');
  return -1;
}

}  // namespace

bool ParseStage(const std::vector<std::string>& lines, int number, const std::string& source, Stage& stage,
                std::vector<Problem>& problems) {
  stage = Stage{};
  stage.number = number;
  stage.source = source;
  const std::size_t problemsBefore = problems.size();
  auto report = [&](int line, int row, int column, const std::string& rule, const std::string& detail) {
    problems.push_back(Problem{number, source, line, row, column, rule, detail});
  };

  int row = 0;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string& text = lines[index];
    const int line = static_cast<int>(index) + 1;
    if (text.empty() || text[0] == ';') continue;
    if (row == kMazeRows) {
      report(line, -1, -1, "map size", "more than 18 rows");
      break;
    }
    stage.rowLines[row] = line;
    if (text.size() != kMazeColumns) {
      report(line, row, static_cast<int>(text.size() < kMazeColumns ? text.size() : kMazeColumns), "map size",
             "row has " + std::to_string(text.size()) + " cells, needs 20");
    }
    for (int column = 0; column < kMazeColumns; ++column) {
      const char c = column < static_cast<int>(text.size()) ? text[column] : '#';
      Cell cell = Cell::Open;
      switch (c) {
        case '#':
          cell = Cell::Wall;
          break;
        case '.':
          cell = Cell::SmallDot;
          break;
        case 'o':
          cell = Cell::LargeDot;
          break;
        case ' ':
          break;
        default: {
          const int actor = ActorForMarker(c);
          if (actor < 0) {
            report(line, row, column, "cell value", std::string("unknown cell character '") + c + "'");
            break;
          }
          if (stage.starts[actor].row >= 0) {
            report(line, row, column, "start cells",
                   std::string("second start for ") + kStartNames[actor] + " ('" + c + "')");
          }
          stage.starts[actor] = CellPosition{row, column};
          break;
        }
      }
      stage.cells[row][column] = cell;
    }
    ++row;
  }
  if (row < kMazeRows) {
    report(0, -1, -1, "map size", "only " + std::to_string(row) + " rows, needs 18");
  }
  for (int actor = 0; actor < kStageActors; ++actor) {
    if (stage.starts[actor].row < 0) {
      report(0, -1, -1, "start cells", std::string("no start cell for ") + kStartNames[actor]);
    }
  }
  return problems.size() == problemsBefore;
}

}  // namespace stages
