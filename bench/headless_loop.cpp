// How fast the headless back end runs the game's loops: one minute of
// virtual time, first as a bare message loop, then with a frame composed
// and presented every 17 ms as in play.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/win32.h"
#include "support/headless_env.h"

namespace {

constexpr DWORD kOneMinuteMs = 60000;

// The main loop's shape while nothing is queued: peek, read the clock.
void BM_MessageLoopOneMinute(benchmark::State& state) {
  std::uint64_t passes = 0;
  for (auto _ : state) {
    const support::HeadlessEnv fresh;
    const DWORD start = timeGetTime();
    MSG msg;
    while (timeGetTime() - start < kOneMinuteMs) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) GetMessageA(&msg, nullptr, 0, 0);
      ++passes;
    }
    benchmark::DoNotOptimize(passes);
  }
  state.counters["passes_per_minute"] =
      benchmark::Counter(static_cast<double>(passes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_MessageLoopOneMinute)->Unit(benchmark::kMillisecond);

// The same minute with a play frame behind a 16 ms gate: a keyed 320 x 240
// canvas copied onto the back buffer and flipped.
void BM_FramedLoopOneMinute(benchmark::State& state) {
  std::uint64_t frames = 0;
  for (auto _ : state) {
    const support::HeadlessEnv fresh;
    IDirectDraw* dd = nullptr;
    DirectDrawCreate(nullptr, &dd, nullptr);
    dd->SetDisplayMode(320, 240, 16);
    DDSURFACEDESC desc{};
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface* primary = nullptr;
    dd->CreateSurface(&desc, &primary, nullptr);
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    primary->GetAttachedSurface(&caps, &back);
    DDSURFACEDESC canvasDesc{};
    canvasDesc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    canvasDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    canvasDesc.dwWidth = 320;
    canvasDesc.dwHeight = 240;
    IDirectDrawSurface* canvas = nullptr;
    dd->CreateSurface(&canvasDesc, &canvas, nullptr);
    DDCOLORKEY key{0xFC10, 0xFC10};
    canvas->SetColorKey(DDCKEY_SRCBLT, &key);
    DDBLTFX fill{};
    fill.dwFillColor = 1;

    const DWORD start = timeGetTime();
    DWORD lastFrame = start;
    MSG msg;
    while (timeGetTime() - start < kOneMinuteMs) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        GetMessageA(&msg, nullptr, 0, 0);
        continue;
      }
      const DWORD now = timeGetTime();
      if (now - lastFrame <= 16) continue;
      lastFrame = now;
      canvas->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
      back->BltFast(0, 0, canvas, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
      primary->Flip(nullptr, 0);
      ++frames;
    }
    canvas->Release();
    primary->Release();
    dd->Release();
  }
  state.counters["frames_per_minute"] =
      benchmark::Counter(static_cast<double>(frames) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FramedLoopOneMinute)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
