#include "game/catalogue.h"

#include "game/game_vars.h"
#include "game/globals.h"
#include "game/high_score.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

void LoadNamed(Sprite* pictures, const char* const* names, int count) {
  IDirectDraw* directDraw = display.GetDirectDraw();
  for (int i = 0; i < count; ++i) {
    pictures[i].LoadBmp(directDraw, names[i]);
  }
}

void LoadGhostPictures() {
  IDirectDraw* directDraw = display.GetDirectDraw();
  char name[64];
  for (int ghost = 1; ghost <= 4; ++ghost) {
    for (int frame = 1; frame <= 2; ++frame) {
      wsprintfA(name, "ghost%d_%d.bmp", ghost, frame);
      ghostPictures[2 * (ghost - 1) + (frame - 1)].LoadBmp(directDraw, name);
    }
  }
  static const char* const kBlue[] = {"BlueGhost1.bmp", "BlueGhost2.bmp", "BlueGhostF1.bmp",
                                      "BlueGhostF2.bmp"};
  LoadNamed(ghostPictures + 8, kBlue, 4);
}

}  // namespace

bool LoadCatalogue() {
  Sprite::LoadNumbered(display.GetDirectDraw(), playerPictures, "Mog%d.bmp");
  LoadGhostPictures();
  static const char* const kEyes[] = {"Left_eye.bmp", "Right_eye.bmp", "Up_eye.bmp", "Down_eye.bmp"};
  LoadNamed(eyePictures, kEyes, 4);
  Sprite::LoadNumbered(display.GetDirectDraw(), wallPictures, "wall%d.bmp");
  static const char* const kDots[] = {"sDot.bmp", "lDot.bmp"};
  LoadNamed(dotPictures, kDots, 2);
  Sprite::LoadNumbered(display.GetDirectDraw(), dyingPictures, "MogDead_%d.bmp");

  // An effect still held from before would otherwise stay behind for good.
  SoundEffect* const effects[] = {&dotEffect, &deathEffect, &ghostEatenEffect, &extraLifeEffect,
                                  &stageStartEffect};
  static const char* const kEffectFiles[] = {"eat_dot.wav", "Killed.wav", "eat_Ghost.wav", "extramog.wav",
                                             "GAMEBEGINNING.wav"};
  for (int i = 0; i < 5; ++i) {
    effects[i]->Release();
    *effects[i] = soundDevice.LoadWave(kEffectFiles[i]);
  }

  // NewGameReset's values and more, in start-up's own order around the font.
  SetGameState(Attract);
  stageNumber = 1;
  intermissionCount = 0;
  moveStep = 1;
  lives = 2;
  score = 0;
  fontSet.LoadLatinFont("e1.eng");
  fontSet.SetTextColor(kWhite);
  extraLifeBase = 0;
  ReadHighScore();
  return true;
}

void ReleaseCataloguePictures() {
  Sprite::ReleaseAll(playerPictures);
  Sprite::ReleaseAll(ghostPictures);
  Sprite::ReleaseAll(eyePictures);
  Sprite::ReleaseAll(wallPictures);
  Sprite::ReleaseAll(dotPictures);
  Sprite::ReleaseAll(dyingPictures);
}

void ReleaseCatalogue() {
  ReleaseCataloguePictures();
  dotEffect.Release();
  deathEffect.Release();
  ghostEatenEffect.Release();
  extraLifeEffect.Release();
  stageStartEffect.Release();
  WriteHighScore();
}
