#include "game/death.h"

#include "actors/actor.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/playfield.h"
#include "game/stage.h"

namespace {

constexpr std::int32_t kDyingFrames = 6;
constexpr std::uint32_t kDyingPeriodMs = 280;

}  // namespace

void PlayDeath() {
  player.SetAnimation(kDyingFrames, kDyingPeriodMs);
  deathEffect.Play();
  // The loop ends as soon as the last picture has been presented once; the
  // animation clock alone paces it.
  while (player.frame < player.frameCount - 1) {
    display.Clear(canvas.GetSurface());
    DrawMaze(true);
    player.AdvanceAnimation();
    if (player.frame >= 0 && player.frame < kDyingFrames) {
      dyingPictures[player.frame].Draw(canvas.GetSurface(), player.x, player.y);
    }
    canvas.Draw(display.GetBackBuffer(), 0, 0);
    display.Present();
  }
  lives -= 1;
  if (lives >= 0) {
    player.state = Playing;
    SetGameState(StageStart);
    RestartActors();
  } else {
    SetGameState(GameOver);
  }
}
