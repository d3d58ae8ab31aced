// SIGINT and SIGTERM ask the program to close its window, like the close
// button. Should the game ever stop answering, a second signal ends the
// process at once with the default action.
#pragma once

namespace platform {

void InstallQuitSignals();
void RestoreQuitSignals();
// True once for the first signal received since InstallQuitSignals.
bool TakeQuitSignal();

}  // namespace platform
