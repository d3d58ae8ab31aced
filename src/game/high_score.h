// The best score in "HighScore.sco": 4 bytes, little-endian.
#pragma once

void ReadHighScore();
void WriteHighScore();
