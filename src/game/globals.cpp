#include "game/globals.h"

// One translation unit, so construction follows this order and destruction
// the reverse: every Sprite gives back its surface before the Display
// releases the device.
Display display;
Sprite canvas;
SoundDevice soundDevice;
Actor ghosts[4];
Actor player;
Sprite playerPictures[6];
Sprite ghostPictures[12];
Sprite eyePictures[4];
Sprite wallPictures[16];
Sprite dotPictures[2];
Sprite dyingPictures[6];
FontSet fontSet;

SoundEffect dotEffect;
SoundEffect deathEffect;
SoundEffect ghostEatenEffect;
SoundEffect extraLifeEffect;
SoundEffect stageStartEffect;
