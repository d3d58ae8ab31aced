#include "sim/frame_schedule.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <utility>

namespace sim {

namespace {
constexpr std::uint64_t kNever = UINT64_MAX;
constexpr std::uint64_t kLastTime = 0xFFFFFFFFull;
}  // namespace

FrameSchedule::FrameSchedule(std::vector<std::uint32_t> at, std::uint32_t every)
    : at_(std::move(at)), every_(every), nextEvery_(every == 0 ? kNever : every) {
  std::sort(at_.begin(), at_.end());
  at_.erase(std::unique(at_.begin(), at_.end()), at_.end());
}

std::uint64_t FrameSchedule::NextAt() const { return nextAt_ < at_.size() ? at_[nextAt_] : kNever; }

bool FrameSchedule::TakeDue(std::uint64_t elapsed, std::uint32_t& time) {
  const std::uint64_t next = std::min(NextAt(), nextEvery_);
  if (next == kNever || next > elapsed) {
    return false;
  }
  time = static_cast<std::uint32_t>(next);
  // A time both listed and on the beat is captured once.
  if (NextAt() == next) {
    ++nextAt_;
  }
  if (nextEvery_ == next) {
    nextEvery_ += every_;
    if (nextEvery_ > kLastTime) {
      nextEvery_ = kNever;
    }
  }
  return true;
}

bool FrameSchedule::Empty() const { return NextAt() == kNever && nextEvery_ == kNever; }

std::string FrameFileName(std::uint32_t elapsedMs) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%08" PRIu32 ".png", elapsedMs);
  return name;
}

}  // namespace sim
