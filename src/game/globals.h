// The long-lived objects. They are defined together in globals.cpp, in the
// order they must be constructed (and, reversed, destroyed): the Display,
// the canvas, the SoundDevice, the ghosts and the player, the picture
// tables, the FontSet.
#pragma once

#include "actors/actor.h"
#include "display/display.h"
#include "sound/sound_device.h"
#include "sprite/sprite.h"
#include "text/font_set.h"

extern Display display;
extern Sprite canvas;
extern SoundDevice soundDevice;
extern Actor ghosts[4];
extern Actor player;
extern Sprite playerPictures[6];
extern Sprite ghostPictures[12];
extern Sprite eyePictures[4];
extern Sprite wallPictures[16];
extern Sprite dotPictures[2];
extern Sprite dyingPictures[6];
extern FontSet fontSet;

// The catalogue's effects.
extern SoundEffect dotEffect;
extern SoundEffect deathEffect;
extern SoundEffect ghostEatenEffect;
extern SoundEffect extraLifeEffect;
extern SoundEffect stageStartEffect;
