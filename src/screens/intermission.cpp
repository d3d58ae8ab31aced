// The three cut-scenes between stages. Each is paced by the frame gate, has
// two phases, plays "interm.wav" and draws pictures that only it uses.
#include <cstdint>

#include "actors/actor.h"
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/stage.h"
#include "platform/win32.h"
#include "screens/screen_frame.h"
#include "screens/screens.h"
#include "sprite/sprite.h"

namespace {

// Scene 3 leaves its effect playing into the credits, so it lives here
// rather than on a scene's stack; see ReleaseIntermissionEffect.
SoundEffect intermissionEffect;

constexpr DWORD kClosingPauseMs = 3000;
constexpr std::int32_t kCanvasWidth = 320;

// A ghost chases the character off the left edge; then a large character
// chases a blue ghost across from the left.
void SceneOne() {
  Sprite large[3];
  Sprite::LoadNumbered(display.GetDirectDraw(), large, "Mog_Large%d.bmp");
  intermissionEffect.Play();

  std::int32_t phase = 1;
  std::int32_t cx = 180;
  std::int32_t cy = 113;
  std::int32_t gx = 300;
  const std::int32_t gy = 113;

  for (;;) {
    if (!FrameGate()) {
      continue;
    }
    if (phase == 1) {
      if (GhostStepGate()) {
        cx -= 1;
      }
      if (PlayerStepGate()) {
        gx -= 1;
      }
      if (gx + kActorSize < 0) {
        phase = 2;
        cy = 100;
        cx = -200;
        gx = 0;
        intermissionEffect.Rewind();
        continue;
      }
      // Starts the tune again whenever it has run out during this phase.
      intermissionEffect.Play();
      player.AdvanceAnimation();
      ghosts[0].AdvanceAnimation();
      screens::ClearCanvas();
      screens::DrawFrom(playerPictures, player.frame, cx, cy);
      screens::DrawFrom(ghostPictures, ghosts[0].frame, gx, gy);
      eyePictures[Left].Draw(canvas.GetSurface(), gx + 2, gy + 2);
      screens::PresentCanvas();
    } else {
      if (PlayerStepGate()) {
        cx += 1;
      }
      if (GhostStepGate()) {
        gx += 1;
      }
      if (cx > kCanvasWidth) {
        Sprite::ReleaseAll(large);
        break;
      }
      player.AdvanceAnimation();
      ghosts[0].AdvanceAnimation();
      screens::ClearCanvas();
      screens::DrawMirroredFrom(large, player.frame, cx, cy);
      screens::DrawFrom(ghostPictures, 8 + ghosts[0].frame, gx, gy);
      screens::PresentCanvas();
    }
  }

  intermissionEffect.Release();
  StartStage();
  SetGameState(StageStart);
}

// The character runs past the checker; the ghost behind it stops there and
// loses its sheet picture by picture.
void SceneTwo() {
  Sprite stripped[6];
  Sprite checker;
  Sprite::LoadNumbered(display.GetDirectDraw(), stripped, "NudeGhost%d.bmp");
  checker.LoadBmp(display.GetDirectDraw(), "Checker.bmp");
  intermissionEffect.Play();

  constexpr std::int32_t kCheckerX = 100;
  constexpr std::int32_t kCheckerY = 120;
  std::int32_t phase = 1;
  bool done = false;
  std::int32_t cx = 180;
  const std::int32_t cy = 113;
  std::int32_t gx = 300;
  const std::int32_t gy = 113;

  for (;;) {
    if (!FrameGate()) {
      continue;
    }
    if (phase == 1) {
      cx -= 1;
      gx -= 1;
      if (gx + kActorSize < kCheckerX) {
        phase = 2;
        ghosts[0].SetAnimation(6, 400);
        continue;
      }
      player.AdvanceAnimation();
      ghosts[0].AdvanceAnimation();
      screens::ClearCanvas();
      checker.Draw(canvas.GetSurface(), kCheckerX, kCheckerY);
      screens::DrawFrom(playerPictures, player.frame, cx, cy);
      screens::DrawFrom(ghostPictures, ghosts[0].frame, gx, gy);
      eyePictures[Left].Draw(canvas.GetSurface(), gx + 2, gy + 2);
      screens::PresentCanvas();
    } else {
      cx -= 1;
      if (done) {
        // The last picture stays on the screen through the pause.
        Sleep(kClosingPauseMs);
        Sprite::ReleaseAll(stripped);
        checker.Release();
        break;
      }
      player.AdvanceAnimation();
      ghosts[0].AdvanceAnimation();
      const std::int32_t frame = ghosts[0].frame;
      const bool last = frame == ghosts[0].frameCount - 1;
      if (last) {
        done = true;
      }
      // The ghost's right edge stays against the checker's left edge; a
      // missing picture counts as width 0.
      const bool known = frame >= 0 && frame < 6;
      gx = kCheckerX - (known ? stripped[frame].GetWidth() : 0);
      screens::ClearCanvas();
      checker.Draw(canvas.GetSurface(), kCheckerX, kCheckerY);
      screens::DrawFrom(playerPictures, player.frame, cx, cy);
      screens::DrawFrom(stripped, frame, gx, gy);
      eyePictures[frame < 5 ? Left : Down].Draw(canvas.GetSurface(), gx + 2, gy + 2);
      screens::PresentCanvas();
    }
  }

  intermissionEffect.Release();
  SetGameState(StageStart);
  StartStage();
}

// The ghost whose first picture stands for crowd member k.
constexpr std::int32_t CrowdGhost(std::int32_t k) { return (k * k + 4 * k + 12 / (k + 1)) % 4; }
static_assert(CrowdGhost(0) == 0 && CrowdGhost(1) == 3 && CrowdGhost(2) == 0 && CrowdGhost(3) == 0 &&
              CrowdGhost(4) == 2 && CrowdGhost(5) == 3 && CrowdGhost(6) == 1 && CrowdGhost(7) == 2 &&
              CrowdGhost(8) == 1);

constexpr std::int32_t kCrowdSize = 9;
constexpr std::int32_t kWalkers[4] = {0, 3, 4, 8};
constexpr std::int32_t kSlippers[5] = {1, 2, 5, 6, 7};
constexpr std::int32_t kSweaters[3] = {3, 5, 8};

void PlaceCrowd(Actor (&crowd)[kCrowdSize]) {
  for (std::int32_t k = 0; k < kCrowdSize; ++k) {
    if (k < 4) {
      crowd[k].x = 211 + 15 * k;
      crowd[k].y = 78;
    } else {
      crowd[k].x = 203 + 15 * (k - 4);
      crowd[k].y = 89;
    }
  }
}

// A moon above a crowd of ghosts changes its face; with the last face it
// slides down, four ghosts turn blue and walk off, the others slip.
void SceneThree() {
  Sprite moonPictures[6];
  Sprite sweat;
  Sprite slipping[3];
  Sprite::LoadNumbered(display.GetDirectDraw(), moonPictures, "MogMoon%d.bmp");
  sweat.LoadBmp(display.GetDirectDraw(), "Sweat1.bmp");
  Sprite::LoadNumbered(display.GetDirectDraw(), slipping, "slipGhost%d.bmp");

  constexpr std::int32_t kMoonX = 220;
  constexpr std::int32_t kMoonLandY = 61;
  Actor moon;
  moon.x = kMoonX;
  moon.y = 10;
  moon.SetAnimation(6, 1000);
  Actor crowd[kCrowdSize];
  PlaceCrowd(crowd);
  intermissionEffect.Play();

  std::int32_t phase = 1;
  for (;;) {
    if (!FrameGate()) {
      continue;
    }
    if (phase == 1) {
      moon.AdvanceAnimation();
      if (moon.frame == moon.frameCount - 1) {
        phase = 2;
        for (std::int32_t k : kSlippers) {
          crowd[k].SetAnimation(3, 50);
        }
        intermissionEffect.Play();
        continue;
      }
      screens::ClearCanvas();
      screens::DrawFrom(moonPictures, moon.frame, kMoonX, 10);
      for (std::int32_t k = 0; k < kCrowdSize; ++k) {
        ghostPictures[2 * CrowdGhost(k)].Draw(canvas.GetSurface(), crowd[k].x, crowd[k].y);
      }
      if (moon.frame == moon.frameCount - 2) {
        for (std::int32_t k : kSweaters) {
          sweat.Draw(canvas.GetSurface(), crowd[k].x + 8, crowd[k].y + 3);
        }
      }
      screens::PresentCanvas();
    } else {
      screens::ClearCanvas();
      moon.y += 1;
      if (moon.y == kMoonLandY) {
        // The last presented frame stays up; the cleared canvas is what
        // the credits draw on.
        Sleep(kClosingPauseMs);
        Sprite::ReleaseAll(moonPictures);
        sweat.Release();
        Sprite::ReleaseAll(slipping);
        break;
      }
      crowd[0].x -= 1;
      crowd[4].x -= 1;
      crowd[3].x += 1;
      crowd[8].x += 1;
      if (moon.y == 52 || moon.y == 58) {
        for (std::int32_t k : kSlippers) {
          crowd[k].AdvanceAnimation();
        }
      }
      ghosts[0].AdvanceAnimation();
      for (std::int32_t k : kWalkers) {
        screens::DrawFrom(ghostPictures, 8 + ghosts[0].frame, crowd[k].x, crowd[k].y);
      }
      for (std::int32_t k : kSlippers) {
        screens::DrawFrom(slipping, crowd[k].frame, crowd[k].x, crowd[k].y);
      }
      moonPictures[5].Draw(canvas.GetSurface(), kMoonX, moon.y);
      screens::PresentCanvas();
    }
  }

  // The effect is left playing on into the credits.
  SetGameState(Credits);
}

}  // namespace

void PlayIntermission(std::int32_t scene) {
  if (scene < 1 || scene > 3) {
    // No such scene: go on with the next stage rather than stay here.
    StartStage();
    SetGameState(StageStart);
    return;
  }
  // A third scene of an earlier game may still hold its effect.
  ReleaseIntermissionEffect();
  intermissionEffect = soundDevice.LoadWave("interm.wav");
  if (scene == 1) {
    SceneOne();
  } else if (scene == 2) {
    SceneTwo();
  } else {
    SceneThree();
  }
}

void ReleaseIntermissionEffect() { intermissionEffect.Release(); }
