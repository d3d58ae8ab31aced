#include "sim/frame_record.h"

#include "actors/ghost.h"
#include "game/game_vars.h"
#include "game/globals.h"

namespace sim {

namespace {

ActorRecord RecordActor(const Actor& actor) {
  return {.x = actor.x,
          .y = actor.y,
          .direction = actor.direction,
          .state = actor.state,
          .modeStart = actor.modeStart,
          .modeDuration = actor.modeDuration};
}

}  // namespace

FrameRecord RecordPlayFrame(std::uint32_t gateTime, const FrameKeys& keys) {
  FrameRecord frame;
  frame.time = gateTime;
  frame.state = gameState;
  frame.stage = stageNumber;
  frame.score = score;
  frame.highScore = highScore;
  frame.lives = lives;
  frame.extraLifeBase = extraLifeBase;
  frame.dotCount = dotCount;
  frame.combo = comboCount;
  frame.rng = ghostRandomState;
  frame.keysRead = keys.read;
  frame.left = keys.left;
  frame.right = keys.right;
  frame.up = keys.up;
  frame.down = keys.down;
  frame.escape = keys.escape;
  frame.player = RecordActor(player);
  for (int i = 0; i < 4; ++i) {
    frame.ghosts[i] = RecordActor(ghosts[i]);
  }
  return frame;
}

}  // namespace sim
