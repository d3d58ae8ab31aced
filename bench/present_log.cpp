// Preloaded into a program (LD_PRELOAD) by bench/measure_window.sh, so the
// game, an older build of it and the bare reference program are all timed
// the same way from outside: each time one of them hands a picture to the
// display, a line "picture <CLOCK_MONOTONIC ns>" goes to the file named by
// CHOMPO_PRESENT_LOG; the first that is not all black is also "first <ns>".
// A renderer's presents are not looked at: every one counts as a picture.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

std::FILE* log = nullptr;
bool opened = false;
bool shownPicture = false;

long long Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void Note(long long when) {
  if (!opened) {
    opened = true;
    const char* path = std::getenv("CHOMPO_PRESENT_LOG");
    if (path != nullptr) log = std::fopen(path, "we");
  }
  if (log == nullptr) return;
  std::fprintf(log, "picture %lld\n", when);
  std::fflush(log);
}

void NoteFirst(long long when) {
  if (shownPicture || log == nullptr) return;
  shownPicture = true;
  std::fprintf(log, "first %lld\n", when);
  std::fflush(log);
}

bool AllBlack(SDL_Window* window) {
  const SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr || surface->format->BytesPerPixel != 4) return false;
  const Uint32 colours = surface->format->Rmask | surface->format->Gmask | surface->format->Bmask;
  for (int y = 0; y < surface->h; ++y) {
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) +
                                                      static_cast<std::ptrdiff_t>(y) * surface->pitch);
    for (int x = 0; x < surface->w; ++x) {
      if ((row[x] & colours) != 0) return false;
    }
  }
  return true;
}

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static const auto real = Real<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
  real(renderer);
  const long long when = Now();
  Note(when);
  NoteFirst(when);
}

int SDL_UpdateWindowSurface(SDL_Window* window) {
  static const auto real = Real<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
  const int result = real(window);
  const long long when = Now();
  Note(when);
  if (!shownPicture && !AllBlack(window)) NoteFirst(when);
  return result;
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count) {
  static const auto real = Real<int (*)(SDL_Window*, const SDL_Rect*, int)>("SDL_UpdateWindowSurfaceRects");
  const int result = real(window, rects, count);
  const long long when = Now();
  Note(when);
  if (!shownPicture && !AllBlack(window)) NoteFirst(when);
  return result;
}

}  // extern "C"
