// SIGINT, SIGTERM and SIGHUP (the terminal closing) ask the program to close
// its window, like the close button: the best score is saved and the program
// ends as the close ends it. Should the game ever stop answering, a second
// signal ends the process at once with the default action. For back ends;
// game code never includes this file.
#pragma once

namespace platform {

void InstallQuitSignals();
void RestoreQuitSignals();
// True once for the first signal received since InstallQuitSignals.
bool TakeQuitSignal();

}  // namespace platform
