// Every picture and effect of play, loaded at start-up and released at quit.
#pragma once

// Loads the picture tables and the five effects (giving back any effect
// still held), sets the start-up values of the game variables (NewGameReset's,
// with gameState Attract and moveStep 1), loads the font in white and reads
// the best score from its file. A file that fails to load leaves its picture,
// effect or font empty and the rest goes on, so the result is always true.
bool LoadCatalogue();
// Releases the picture tables and the effects, then writes the best score to
// its file.
void ReleaseCatalogue();
// Its first step alone: every picture of the tables, nothing else.
void ReleaseCataloguePictures();
