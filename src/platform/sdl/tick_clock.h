// The millisecond clock the SDL back end gives the game, counted from its
// own start on the monotonic clock, so a wait can sleep to the very moment
// the next reading begins instead of napping and looking.
#pragma once

#include <cstdint>

namespace platform {

class TickClock {
 public:
  TickClock();

  struct Reading {
    std::uint32_t ms;   // whole milliseconds since the start (wraps after 49.7 days)
    std::int64_t late;  // nanoseconds since this millisecond began
  };
  Reading Read() const;
  std::uint32_t Now() const { return Read().ms; }

  // Returns once the clock reads more than ms: at once when it does
  // already, otherwise as the next millisecond begins.
  void SleepPast(std::uint32_t ms) const;
  // Returns as the clock begins to read ms (at once when it has already).
  void SleepUntil(std::uint32_t ms) const;

  // The monotonic clock, in nanoseconds.
  static std::int64_t MonotonicNs();

 private:
  void SleepUntilNs(std::int64_t sinceStart) const;

  std::int64_t start_;
};

}  // namespace platform
