// The best score in "HighScore.sco": 4 bytes, little-endian.
#pragma once

void ReadHighScore();
void WriteHighScore();

// Whether highScore is above the value last read from the file or saved to
// it: what a crash would lose now.
bool HighScoreUnsaved();
