// The entry point and the window procedure.
#pragma once

#include "platform/win32.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand);
LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
