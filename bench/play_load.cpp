// Runs a loop shaped like a stage being played on the real SDL back end and
// reports the processor time it took: the main loop's PeekMessageA, a frame
// gate of more than 16 ms on timeGetTime, and per frame a cleared canvas,
// a maze's worth of keyed 13 x 13 copies, the canvas copied to the back
// buffer and a Flip.
//
//   chompo-play-load [seconds]     (default 20; CHOMPO_WINDOWED=1 for a window)
#include <SDL.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/win32.h"
#include "support/game_window.h"

namespace {

bool active = false;

LRESULT LoadWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      active = wParam != 0;
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Surfaces {
  IDirectDraw* directDraw = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* backBuffer = nullptr;
  IDirectDrawSurface* canvas = nullptr;
  IDirectDrawSurface* tile = nullptr;
};

IDirectDrawSurface* PlainSurface(IDirectDraw* directDraw, int width, int height) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface* surface = nullptr;
  return directDraw->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

bool OpenSurfaces(HWND window, Surfaces& s) {
  if (DirectDrawCreate(nullptr, &s.directDraw, nullptr) != DD_OK) return false;
  s.directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
  if (s.directDraw->SetDisplayMode(320, 240, 16) != DD_OK) return false;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (s.directDraw->CreateSurface(&desc, &s.primary, nullptr) != DD_OK) return false;
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  if (s.primary->GetAttachedSurface(&caps, &s.backBuffer) != DD_OK) return false;
  s.canvas = PlainSurface(s.directDraw, 320, 240);
  s.tile = PlainSurface(s.directDraw, 13, 13);
  if (s.canvas == nullptr || s.tile == nullptr) return false;
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0x001F;
  s.tile->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  RECT hole{4, 4, 9, 9};
  fx.dwFillColor = 0xF81F;
  s.tile->Blt(&hole, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  DDCOLORKEY key{0xF81F, 0xF81F};
  s.tile->SetColorKey(DDCKEY_SRCBLT, &key);
  return true;
}

double flipCpu = 0;  // processor time spent in Flip, all threads

void DrawFrame(Surfaces& s, std::uint32_t frame) {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 1;
  s.canvas->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  // A maze of 18 x 20 cells, most of them walls or dots, and five actors.
  for (DWORD row = 0; row < 18; ++row) {
    for (DWORD column = 0; column < 20; ++column) {
      s.canvas->BltFast(column * 13, row * 13, s.tile, nullptr, DDBLTFAST_SRCCOLORKEY);
    }
  }
  for (DWORD actor = 0; actor < 5; ++actor) {
    s.canvas->BltFast((frame + actor * 40) % 247, 100 + actor * 10, s.tile, nullptr, DDBLTFAST_SRCCOLORKEY);
  }
  s.backBuffer->BltFast(0, 0, s.canvas, nullptr, DDBLTFAST_NOCOLORKEY);
  const double before = CpuSeconds();
  s.primary->Flip(nullptr, 0);
  flipCpu += CpuSeconds() - before;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  auto* backend = new platform::SdlBackend();
  platform::SetBackend(backend);

  HWND window = support::OpenWindow(LoadWindowProc);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  Surfaces surfaces;
  if (!OpenSurfaces(window, surfaces)) {
    std::fprintf(stderr, "no display mode\n");
    return 1;
  }

  using Clock = std::chrono::steady_clock;
  const auto startWall = Clock::now();
  const double startCpu = CpuSeconds();
  DWORD lastFrame = timeGetTime();
  std::uint32_t frames = 0;
  std::uint64_t passes = 0;
  std::map<DWORD, int> gaps;  // clock readings between frames
  // A gate can be late by at most the time between two polls of the clock.
  double longestPollGapMs = 0;
  auto lastPoll = Clock::now();
  MSG msg;
  for (;;) {
    ++passes;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0) {
      if (GetMessageA(&msg, nullptr, 0, 0) == 0) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    if (!active) {
      WaitMessage();
      continue;
    }
    const DWORD now = timeGetTime();
    const auto polled = Clock::now();
    const double pollGapMs = std::chrono::duration<double, std::milli>(polled - lastPoll).count();
    if (pollGapMs > longestPollGapMs) longestPollGapMs = pollGapMs;
    if (now - lastFrame > 16) {
      ++gaps[now - lastFrame];
      lastFrame = now;
      DrawFrame(surfaces, frames++);
    }
    lastPoll = Clock::now();  // drawing is work, not waiting: not counted
    if (std::chrono::duration<double>(Clock::now() - startWall).count() >= seconds) break;
  }
  const double wall = std::chrono::duration<double>(Clock::now() - startWall).count();
  const double cpu = CpuSeconds() - startCpu;
  SDL_RendererInfo info{};
  const bool surface = backend->drawsIntoWindowSurface();
  if (!surface) SDL_GetRendererInfo(SDL_GetRenderer(backend->window()), &info);
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(backend->window(), &width, &height);
  std::printf("drawing %s into %d x %d%s\n", surface ? "straight" : info.name, width, height,
              backend->fullScreen() ? ", full screen" : "");
  std::printf("wall %.2f s, cpu %.2f s: %.1f%% of one core\n", wall, cpu, 100.0 * cpu / wall);
  std::printf("cpu per frame %.2f ms, of which Flip %.2f ms\n", frames ? 1000 * cpu / frames : 0.0,
              frames ? 1000 * flipCpu / frames : 0.0);
  std::printf("frames %u (%.1f per s), loop passes %llu (%.0f per s)\n", frames, frames / wall,
              static_cast<unsigned long long>(passes), static_cast<double>(passes) / wall);
  std::printf("frame gaps in clock readings:");
  for (const auto& [gap, count] : gaps) std::printf(" %u ms x %d", gap, count);
  std::printf("\nlongest wait between two polls of the clock: %.3f ms\n", longestPollGapMs);
  backend->Shutdown();
  return 0;
}
