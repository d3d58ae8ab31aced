// The input as the high-score file: read, written back and read again. The
// value read must be the file's first four bytes (or 0 for a shorter file),
// what was written must read back the same, and nothing but the file and
// its lock file may stay behind.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "game/game_vars.h"
#include "game/high_score.h"

namespace {

constexpr char kFileName[] = "HighScore.sco";

[[noreturn]] void Fail(const char* what, std::int32_t expected, std::int32_t got) {
  std::fprintf(stderr, "chompo fuzz: %s: expected %d, got %d\n", what, expected, got);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzsupport::InWorkFolder here;
  fuzzsupport::WriteInput(kFileName, data, size);

  highScore = -1;
  ReadHighScore();
  std::uint32_t expected = 0;
  if (size >= 4) {
    expected = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
               std::uint32_t{data[3]} << 24;
  }
  const std::int32_t read = highScore;
  if (read != static_cast<std::int32_t>(expected)) {
    Fail("the score read", static_cast<std::int32_t>(expected), read);
  }

  WriteHighScore();
  highScore = ~read;
  ReadHighScore();
  if (highScore != read) {
    Fail("the score read back after writing it", read, highScore);
  }
  std::int32_t others = 0;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    others += name != kFileName && name != std::string(kFileName) + ".lock";
  }
  if (others != 0) {
    Fail("files other than the best score and its lock", 0, others);
  }
  return 0;
}
