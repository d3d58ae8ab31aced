// The window, message, keyboard, clock and low-level file calls the game
// makes, under the names and with the behaviour the game relies on.
// Implemented by the platform core over an interchangeable back end
// (see platform/backend.h); no game file sees anything below this line.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using SHORT = std::int16_t;
using ULONG = std::uint32_t;
using HRESULT = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;
using HFILE = int;

struct HWND__;
struct HINSTANCE__;
struct HICON__;
struct HCURSOR__;
struct HBRUSH__;
struct HMENU__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HICON = HICON__*;
using HCURSOR = HCURSOR__*;
using HBRUSH = HBRUSH__*;
using HGDIOBJ = void*;
using HMENU = HMENU__*;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct POINT {
  LONG x;
  LONG y;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
};

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Messages.
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;

inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;

inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F12 = 0x7B;

// Window class and window.
inline constexpr UINT CS_VREDRAW = 0x0001;
inline constexpr UINT CS_HREDRAW = 0x0002;
inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWDEFAULT = 10;
inline constexpr int BLACK_BRUSH = 4;
inline const char* const IDI_APPLICATION = reinterpret_cast<const char*>(32512);
inline const char* const IDC_ARROW = reinterpret_cast<const char*>(32512);

// Low-level files.
inline constexpr HFILE HFILE_ERROR = -1;
inline constexpr int OF_READ = 0;
inline constexpr int FILE_BEGIN = 0;
inline constexpr int FILE_CURRENT = 1;
inline constexpr int FILE_END = 2;

// Window and messages. One window class and one window exist at a time.
WORD RegisterClassA(const WNDCLASSA* wndClass);
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Shows and activates the window: queues WM_ACTIVATE with WA_ACTIVE
// unless it is active already. SW_HIDE only marks it hidden.
BOOL ShowWindow(HWND window, int showCommand);
BOOL UpdateWindow(HWND window);
HWND SetFocus(HWND window);
// Closes the window through its destroy path: WM_DESTROY is sent to the
// window procedure at once, on the calling thread.
BOOL DestroyWindow(HWND window);
HICON LoadIconA(HINSTANCE instance, const char* name);
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
HGDIOBJ GetStockObject(int object);
// With no cursor (nullptr) the mouse pointer is hidden over the window.
HCURSOR SetCursor(HCURSOR cursor);

// Messages are taken strictly in the order they were queued, and wait in
// the queue for as long as nobody pumps.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
// Blocks until a message is queued; returns 0 for WM_QUIT, else nonzero.
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of the message's window on this thread.
LRESULT DispatchMessageA(const MSG* msg);
BOOL WaitMessage();
void PostQuitMessage(int exitCode);
// WM_CLOSE destroys the window (WM_DESTROY); everything else answers 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Bit 0x8000 is set while the key is held, read from the live keyboard
// even while nobody pumps messages; reading it never loses a message.
SHORT GetAsyncKeyState(int virtualKey);

// A 32-bit millisecond counter that wraps.
DWORD timeGetTime();
void Sleep(DWORD milliseconds);

// wsprintfA writes at most 1024 characters, as the platform's does, and
// returns how many it wrote (the terminator not counted).
int wsprintfA(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);

// Reads files in order; HFILE_ERROR when the file cannot be opened or read.
// Only regular files open, and opening never waits.
HFILE _lopen(const char* path, int mode);
UINT _lread(HFILE file, void* buffer, UINT count);
// Moves the read position; past the end is allowed (reads then come up
// short). Returns the new position, or HFILE_ERROR.
LONG _llseek(HFILE file, LONG offset, int origin);
HFILE _lclose(HFILE file);
