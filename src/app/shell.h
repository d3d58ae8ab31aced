// The entry point, the window procedure, the quit sequence and the reset
// after a game over.
#pragma once

#include "platform/win32.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand);
LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void QuitGame();
void NewGameReset();
