// What reaches the game from outside beside the back end's answers: the
// input back ends post, and the best score read from the state folder. A
// recorder writes them down; a replayer hands back its own and holds back
// the live ones. Back ends post as before and never see the tap.
#pragma once

#include <cstdint>

namespace platform {

struct PostedInput {
  enum class Kind : std::uint8_t { KeyDown, KeyUp, Activate, Close };
  Kind kind;
  int value;  // the virtual key; for Activate 1 (active) or 0
};

class InputTap {
 public:
  // Before a PostKeyDown, PostKeyUp, PostActivate or PostClose takes effect
  // (and before the clock reading that stamps its message); false drops it.
  virtual bool Posting(const PostedInput& input) = 0;
  // Every value ReadScoreFile returns: the stored one in, the game's out.
  virtual std::int32_t ScoreRead(std::int32_t stored) = 0;

 protected:
  ~InputTap() = default;
};

// nullptr: no tap, everything goes through.
void SetInputTap(InputTap* tap);

}  // namespace platform
