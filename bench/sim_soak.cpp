// How much memory chompo-sim holds over a long session. Runs the real
// program twice with the same data and script, for one virtual hour and for
// HOURS (default 24), and prints the resident memory each run peaked at:
// games started again and again, each clearing a stage and losing every
// life on the next, so dots are eaten, stages cleared, lives lost, games
// ended, sounds played and the title shown over and over, with the trace
// written to /dev/null. Exits
// with status 1 when the long run held 1 MB or more above the short one.
//   chompo-sim-soak [HOURS]
#include <sys/resource.h>
#include <sys/wait.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"
#include "support/sim_folder.h"

namespace {

constexpr std::uint64_t kHourMs = 3600000;
constexpr long kLimitKb = 1024;

// The player walks left, into ghost 0 coming the other way. On the first
// stage the three dots are eaten before they meet, so it is cleared; on the
// second the fourth dot is never reached, so every life is lost there. The
// other ghosts wait far off.
support::StageRows Stage(const char* corridor) {
  support::StageRows rows(18, std::string(20, '#'));
  rows[1] = corridor;
  rows[9] = "#  1 2 3           #";
  return rows;
}
// A tap of Space every three seconds: whichever screen waits for it takes it.
std::string Taps(std::uint64_t untilMs) {
  std::string script;
  for (std::uint64_t t = 100; t < untilMs; t += 3000) {
    script += std::to_string(t) + " press SPACE\n" + std::to_string(t + 40) + " release SPACE\n";
  }
  return script;
}

// The peak resident memory of one run in KB, or -1 when it did not run to
// its --until.
long PeakKb(const support::SimFolder& folder, const std::string& script, std::uint64_t untilMs) {
  const int child =
      support::StartProgram({support::SimProgram(), "--data", folder.dataDir(), "--script", script, "--trace",
                             "/dev/null", "--until", std::to_string(untilMs)});
  int status = 0;
  rusage usage{};
  if (child <= 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 2) {
    return -1;
  }
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t hours = 24;
  if (argc > 1) {
    const std::string_view given = argv[1];
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), hours);
    if (error != std::errc() || end != given.data() + given.size() || hours < 2 || hours > 1000) {
      std::fprintf(stderr, "usage: chompo-sim-soak [HOURS]   (2 to 1000, default 24)\n");
      return 2;
    }
  }
  const support::SimFolder folder({Stage("#0     ...P        #"), Stage("#0   .....P        #")});
  const std::string script = folder.root() + "/taps.txt";
  if (!folder.error().empty() || !support::WriteText(script, Taps(hours * kHourMs))) {
    std::fprintf(stderr, "chompo-sim-soak: cannot prepare the run: %s\n", folder.error().c_str());
    return 2;
  }
  const long shortKb = PeakKb(folder, script, kHourMs);
  const long longKb = shortKb < 0 ? -1 : PeakKb(folder, script, hours * kHourMs);
  if (longKb < 0) {
    std::fprintf(stderr, "chompo-sim-soak: chompo-sim did not run to its --until\n");
    return 2;
  }
  std::printf(
      "peak resident memory: %ld KB after 1 h, %ld KB after %llu h: %+ld KB (target: under %+ld KB)\n",
      shortKb, longKb, static_cast<unsigned long long>(hours), longKb - shortKb, kLimitKb);
  return longKb - shortKb < kLimitKb ? 0 : 1;
}
