// When to capture the picture on screen: at listed virtual times and/or
// every N virtual milliseconds (N, 2N, 3N, ...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class FrameSchedule {
 public:
  FrameSchedule(std::vector<std::uint32_t> at, std::uint32_t every);

  // The earliest capture time not yet taken that is at or before elapsed;
  // false when there is none. Each time is handed out once.
  bool TakeDue(std::uint64_t elapsed, std::uint32_t& time);
  bool Empty() const;

 private:
  std::uint64_t NextAt() const;

  std::vector<std::uint32_t> at_;  // sorted, without repeats
  std::size_t nextAt_ = 0;
  std::uint64_t every_;
  std::uint64_t nextEvery_;
};

// "frame-00012345.png" for 12345 ms.
std::string FrameFileName(std::uint32_t elapsedMs);

}  // namespace sim
