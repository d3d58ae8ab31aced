#include "platform/sdl/tick_clock.h"

#include <time.h>

#include <cerrno>

namespace platform {
namespace {

constexpr std::int64_t kNsPerMs = 1000000;
constexpr std::int64_t kNsPerSecond = 1000000000;

}  // namespace

TickClock::TickClock() : start_(MonotonicNs()) {}

std::int64_t TickClock::MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * kNsPerSecond + now.tv_nsec;
}

TickClock::Reading TickClock::Read() const {
  const std::int64_t since = MonotonicNs() - start_;
  return {static_cast<std::uint32_t>(since / kNsPerMs), since % kNsPerMs};
}

void TickClock::SleepPast(std::uint32_t ms) const {
  const std::int64_t since = MonotonicNs() - start_;
  if (static_cast<std::int32_t>(static_cast<std::uint32_t>(since / kNsPerMs) - ms) > 0) return;
  SleepUntilNs((since / kNsPerMs + 1) * kNsPerMs);
}

void TickClock::SleepUntil(std::uint32_t ms) const {
  const std::int64_t since = MonotonicNs() - start_;
  const auto ahead = static_cast<std::int32_t>(ms - static_cast<std::uint32_t>(since / kNsPerMs));
  if (ahead > 0) SleepUntilNs((since / kNsPerMs + ahead) * kNsPerMs);
}

// One sleep to an absolute time: no drift from the time spent getting here.
void TickClock::SleepUntilNs(std::int64_t sinceStart) const {
  const std::int64_t wake = start_ + sinceStart;
  const timespec until{static_cast<time_t>(wake / kNsPerSecond), static_cast<long>(wake % kNsPerSecond)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace platform
