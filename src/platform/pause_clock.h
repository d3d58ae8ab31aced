// The pause a player asks for, as a back end keeps it: the clock the game
// reads stands still, and the game is told the window went inactive, so it
// runs no step, exactly as when the window loses the focus. A back end
// composes one and routes its pause key and its focus changes through it;
// whatever wraps the back end sees only clock values and posted messages.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace platform {

class PauseClock {
 public:
  // allowed says whether a pause may begin now (during play only: the back
  // end cannot read the game's state). Without it no pause ever begins.
  explicit PauseClock(std::function<bool()> allowed = {}) : allowed_(std::move(allowed)) {}

  bool enabled() const { return static_cast<bool>(allowed_); }
  bool paused() const { return paused_; }

  // The game's clock for a reading of the back end's own: it stands still
  // while paused and afterwards runs on from where it stopped.
  std::uint32_t GameTime(std::uint32_t raw) const { return (paused_ ? pausedAt_ : raw) - offset_; }

  // The pause key at the back end's reading raw. Pauses when allowed
  // (WM_ACTIVATE 0, every key let go); resumes when paused (WM_ACTIVATE 1
  // once the window has the focus). False when it did neither: the key then
  // does what it did before.
  bool Toggle(std::uint32_t raw);

  // The window gained or lost the focus. Posts WM_ACTIVATE as a back end
  // without a pause would, except that gaining the focus does not end a
  // pause. True when something was posted.
  bool FocusChanged(bool focused);

 private:
  std::function<bool()> allowed_;
  bool paused_ = false;
  bool focused_ = true;
  std::uint32_t pausedAt_ = 0;  // the back end's reading when the pause began
  std::uint32_t offset_ = 0;    // the back end's time spent paused, in all
};

}  // namespace platform
