// The one window, its message queue and the key table behind
// GetAsyncKeyState. Input reaches the queue only through the Post* calls
// that back ends make while they are pumped.
#include <array>
#include <cstring>
#include <deque>
#include <string>

#include "platform/backend.h"
#include "platform/core/core_internal.h"
#include "platform/input_tap.h"
#include "platform/win32.h"

namespace platform {
namespace {

struct WindowState {
  bool classRegistered = false;
  std::string className;
  WNDPROC procedure = nullptr;
  bool exists = false;
  bool shown = false;
  bool active = false;
  HCURSOR cursor = nullptr;
};

struct CoreState {
  WindowState window;
  std::deque<MSG> queue;
  std::array<bool, 256> keysHeld{};
  std::uint32_t generation = 0;
  // When the game last read its queue, and whether it is reading it now
  // (GetMessageA and WaitMessage may wait inside).
  std::uint32_t lastQueueRead = 0;
  int queueReaders = 0;
};

CoreState core;

// Handles are addresses of private objects, so none can be mistaken for
// another or for null.
char windowToken;
char blackBrushToken;

HWND WindowHandle() { return core.window.exists ? reinterpret_cast<HWND>(&windowToken) : nullptr; }

void Queue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = CurrentBackend().ReadClockForGame();
  core.queue.push_back(msg);
}

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

// The first queued message the filter lets through, or end().
std::deque<MSG>::iterator FindMessage(UINT filterMin, UINT filterMax) {
  auto it = core.queue.begin();
  while (it != core.queue.end() && !InRange(it->message, filterMin, filterMax)) ++it;
  return it;
}

bool ValidKey(int virtualKey) { return virtualKey > 0 && virtualKey < 256; }

}  // namespace

std::uint32_t CoreGeneration() { return core.generation; }

void PostKeyDown(int virtualKey) {
  if (!ValidKey(virtualKey) || !LetThrough({PostedInput::Kind::KeyDown, virtualKey})) return;
  core.keysHeld[virtualKey] = true;
  Queue(WindowHandle(), WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0);
}

void PostKeyUp(int virtualKey) {
  if (!ValidKey(virtualKey) || !LetThrough({PostedInput::Kind::KeyUp, virtualKey})) return;
  core.keysHeld[virtualKey] = false;
  Queue(WindowHandle(), WM_KEYUP, static_cast<WPARAM>(virtualKey), 0);
}

void PostActivate(bool active) {
  if (!LetThrough({PostedInput::Kind::Activate, active ? 1 : 0})) return;
  core.window.active = active;
  // A key released while another window had the focus never reports its
  // release to us, so forget them all rather than leave one stuck down.
  if (!active) core.keysHeld.fill(false);
  Queue(WindowHandle(), WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

namespace {

// Marks a call that reads the queue for as long as it runs.
struct QueueReading {
  QueueReading() { ++core.queueReaders; }
  ~QueueReading() {
    --core.queueReaders;
    core.lastQueueRead = CurrentBackend().ReadClockQuietly();
  }
  QueueReading(const QueueReading&) = delete;
  QueueReading& operator=(const QueueReading&) = delete;
};

bool QueueUnread() {
  return core.queueReaders == 0 && CurrentBackend().ReadClockQuietly() - core.lastQueueRead >= kUnreadQueueMs;
}

// The close goes to the window procedure as DispatchMessageA would take it
// there; if the game then asked to quit, nothing else of it is waited for.
void CloseNow() {
  const HWND window = WindowHandle();
  const WNDPROC procedure = core.window.procedure;
  if (window == nullptr || procedure == nullptr) return;
  core.queue.pop_back();
  procedure(window, WM_CLOSE, 0, 0);
  if (core.window.exists) return;
  const auto quit = FindMessage(WM_QUIT, WM_QUIT);
  if (quit != core.queue.end()) CurrentBackend().EndProcess(static_cast<int>(quit->wParam));
}

}  // namespace

void PostClose() {
  if (!LetThrough({PostedInput::Kind::Close, 0})) return;
  Queue(WindowHandle(), WM_CLOSE, 0, 0);
  if (QueueUnread()) CloseNow();
}

void ResetCore() {
  const std::uint32_t generation = core.generation + 1;
  core = CoreState{};
  core.generation = generation;
  ForgetScoreSaves();
}

}  // namespace platform

using platform::core;
using platform::EnterCall;

WORD RegisterClassA(const WNDCLASSA* wndClass) {
  EnterCall();
  if (wndClass == nullptr || wndClass->lpfnWndProc == nullptr || wndClass->lpszClassName == nullptr) return 0;
  if (core.window.classRegistered) return 0;  // one class at a time
  core.window.classRegistered = true;
  core.window.className = wndClass->lpszClassName;
  core.window.procedure = wndClass->lpfnWndProc;
  return 1;
}

HWND CreateWindowExA(DWORD /*exStyle*/, const char* className, const char* windowName, DWORD /*style*/,
                     int /*x*/, int /*y*/, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                     HINSTANCE /*instance*/, void* /*param*/) {
  platform::Backend& backend = EnterCall();
  if (!core.window.classRegistered || core.window.exists || className == nullptr) return nullptr;
  if (core.window.className != className) return nullptr;
  if (!backend.CreateGameWindow(windowName != nullptr ? windowName : "", width, height)) return nullptr;
  core.window.exists = true;
  // Start-up counts as reading: the game reaches its loop before long.
  core.lastQueueRead = backend.ReadClockQuietly();
  return platform::WindowHandle();
}

BOOL ShowWindow(HWND window, int showCommand) {
  platform::Backend& backend = EnterCall();
  if (window == nullptr || window != platform::WindowHandle()) return FALSE;
  const BOOL wasVisible = core.window.shown ? TRUE : FALSE;
  if (showCommand == SW_HIDE) {
    core.window.shown = false;
    return wasVisible;
  }
  core.window.shown = true;
  backend.ShowGameWindow();
  // Showing activates, as on the desktop the game was written for; without
  // this the game would wait for an activation no window manager sends.
  if (!core.window.active) {
    core.window.active = true;
    platform::Queue(window, WM_ACTIVATE, WA_ACTIVE, 0);
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND window) {
  EnterCall();
  return window != nullptr && window == platform::WindowHandle() ? TRUE : FALSE;
}

HWND SetFocus(HWND window) {
  EnterCall();
  const HWND current = platform::WindowHandle();
  return window == current ? current : nullptr;
}

BOOL DestroyWindow(HWND window) {
  platform::Backend& backend = EnterCall();
  if (window == nullptr || window != platform::WindowHandle()) return FALSE;
  const WNDPROC procedure = core.window.procedure;
  if (procedure != nullptr) procedure(window, WM_DESTROY, 0, 0);
  core.window.exists = false;
  core.window.shown = false;
  core.window.active = false;
  backend.DestroyGameWindow();
  return TRUE;
}

// The program carries no icon or cursor resources, so these come back empty.
HICON LoadIconA(HINSTANCE /*instance*/, const char* /*name*/) {
  EnterCall();
  return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE /*instance*/, const char* /*name*/) {
  EnterCall();
  return nullptr;
}

HGDIOBJ GetStockObject(int object) {
  EnterCall();
  return object == BLACK_BRUSH ? static_cast<HGDIOBJ>(&platform::blackBrushToken) : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  platform::Backend& backend = EnterCall();
  const HCURSOR previous = core.window.cursor;
  core.window.cursor = cursor;
  backend.SetCursorHidden(cursor == nullptr);
  return previous;
}

BOOL PeekMessageA(MSG* msg, HWND /*window*/, UINT filterMin, UINT filterMax, UINT removeMessage) {
  platform::Backend& backend = EnterCall();
  const platform::QueueReading reading;
  backend.PumpEvents();
  const auto found = platform::FindMessage(filterMin, filterMax);
  if (found == core.queue.end()) {
    backend.Idle();
    return FALSE;
  }
  if (msg != nullptr) *msg = *found;
  if ((removeMessage & PM_REMOVE) != 0) core.queue.erase(found);
  return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND /*window*/, UINT filterMin, UINT filterMax) {
  platform::Backend& backend = EnterCall();
  const platform::QueueReading reading;
  for (;;) {
    backend.PumpEvents();
    const auto found = platform::FindMessage(filterMin, filterMax);
    if (found != core.queue.end()) {
      const MSG taken = *found;
      core.queue.erase(found);
      if (msg != nullptr) *msg = taken;
      return taken.message == WM_QUIT ? FALSE : TRUE;
    }
    backend.WaitForEvents();
  }
}

// Key messages carry virtual-key codes already; there are no character
// messages to derive.
BOOL TranslateMessage(const MSG* /*msg*/) {
  EnterCall();
  return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  EnterCall();
  if (msg == nullptr || msg->hwnd == nullptr || msg->hwnd != platform::WindowHandle()) return 0;
  const WNDPROC procedure = core.window.procedure;
  return procedure != nullptr ? procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

// Returns at once when something is queued already, and otherwise after the
// back end has had one chance to deliver input: callers loop anyway, and a
// back end with nothing left to deliver must not hang the program here.
BOOL WaitMessage() {
  platform::Backend& backend = EnterCall();
  const platform::QueueReading reading;
  backend.PumpEvents();
  if (core.queue.empty()) backend.WaitForEvents();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  EnterCall();
  platform::Queue(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  EnterCall();
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

SHORT GetAsyncKeyState(int virtualKey) {
  platform::Backend& backend = EnterCall();
  backend.PumpEvents();
  if (!platform::ValidKey(virtualKey)) return 0;
  return core.keysHeld[virtualKey] ? static_cast<SHORT>(-0x8000) : SHORT{0};
}
