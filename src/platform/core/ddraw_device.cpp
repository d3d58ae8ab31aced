// The DirectDraw device: the display mode and the creation of surfaces in
// ordinary memory, in the mode's 16-bit format.
#include <new>

#include "platform/backend.h"
#include "platform/ddraw.h"

namespace {

constexpr int kMaxSurfaceSide = 4096;

// Rows hold whole pixels, so an odd padding is rounded up to the next pixel.
int PitchFor(int width) {
  int padding = platform::CurrentBackend().PitchPaddingBytes();
  if (padding < 0) padding = 0;
  return width * 2 + padding + (padding & 1);
}

}  // namespace

HRESULT DirectDrawCreate(GUID* /*driver*/, IDirectDraw** directDraw, IUnknown* outer) {
  platform::EnterCall();
  if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (outer != nullptr) return DDERR_INVALIDPARAMS;  // no aggregation
  *directDraw = new (std::nothrow) IDirectDraw();
  return *directDraw != nullptr ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT IDirectDraw::SetCooperativeLevel(HWND /*window*/, DWORD /*flags*/) {
  platform::EnterCall();
  return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  platform::Backend& backend = platform::EnterCall();
  if (bitsPerPixel != 16) return DDERR_UNSUPPORTED;
  if (width == 0 || height == 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide)
    return DDERR_INVALIDPARAMS;
  if (!backend.SetDisplayMode(static_cast<int>(width), static_cast<int>(height), 16))
    return DDERR_UNSUPPORTED;
  modeSet_ = true;
  modeWidth_ = static_cast<int>(width);
  modeHeight_ = static_cast<int>(height);
  return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) {
  platform::Backend& backend = platform::EnterCall();
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (desc == nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
  const bool is565 = !backend.Use555();
  const DWORD caps = (desc->dwFlags & DDSD_CAPS) != 0 ? desc->ddsCaps.dwCaps : 0;

  if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
    // Only the flip chain the game asks for: the screen and one back buffer.
    if ((desc->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 || desc->dwBackBufferCount != 1) return DDERR_UNSUPPORTED;
    if (!modeSet_) return DDERR_GENERIC;
    *surface =
        new (std::nothrow) IDirectDrawSurface(modeWidth_, modeHeight_, PitchFor(modeWidth_), is565, true);
  } else {
    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
      return DDERR_INVALIDPARAMS;
    if (desc->dwWidth < 1 || desc->dwHeight < 1 || desc->dwWidth > kMaxSurfaceSide ||
        desc->dwHeight > kMaxSurfaceSide) {
      return DDERR_INVALIDPARAMS;
    }
    const int width = static_cast<int>(desc->dwWidth);
    *surface = new (std::nothrow)
        IDirectDrawSurface(width, static_cast<int>(desc->dwHeight), PitchFor(width), is565, false);
  }
  if (*surface == nullptr || !(*surface)->HasPixels()) {
    delete *surface;
    *surface = nullptr;
    return DDERR_OUTOFMEMORY;
  }
  return DD_OK;
}

ULONG IDirectDraw::Release() {
  platform::EnterCall();
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}
