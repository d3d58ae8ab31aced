// The quit sequence: the window procedure, the main loop and the title and
// credits screens all end the program through it.
#pragma once

// Gives the catalogue back and closes the sound device, once a run however
// often it is asked for; then no further step runs and the quit message is
// posted.
void QuitGame();

// Set once the quit sequence has given the catalogue back (and so written
// the best score); start-up clears it.
extern bool quitReleased;
