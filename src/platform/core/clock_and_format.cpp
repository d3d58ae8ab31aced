// The millisecond clock, pauses, and the two small helpers the game uses
// for file names and collision boxes.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/backend.h"
#include "platform/win32.h"

// Clock reads are the one call that does not count as activity, so a loop
// that only watches the clock can be told apart from one that does work.
DWORD timeGetTime() { return platform::CurrentBackend().ReadClockForGame(); }

void Sleep(DWORD milliseconds) {
  platform::Backend& backend = platform::EnterCall();
  backend.Sleep(milliseconds);
}

int wsprintfA(char* buffer, const char* format, ...) {
  platform::EnterCall();
  if (buffer == nullptr || format == nullptr) return 0;
  constexpr std::size_t kLimit = 1024;  // characters, not counting the terminator
  va_list args;
  va_start(args, format);
  const int wanted = std::vsnprintf(buffer, kLimit + 1, format, args);
  va_end(args);
  if (wanted < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<std::size_t>(wanted) > kLimit ? static_cast<int>(kLimit) : wanted;
}

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
  platform::EnterCall();
  if (rect == nullptr) return FALSE;
  rect->left = left;
  rect->top = top;
  rect->right = right;
  rect->bottom = bottom;
  return TRUE;
}
