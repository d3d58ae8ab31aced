#include "display/display.h"

namespace {

// The smallest blue step: practically black, and never the colour key.
constexpr DWORD kClearPixel = 1;

}  // namespace

Display::~Display() { Release(); }

bool Display::InitFullScreen(HWND window, std::int32_t width, std::int32_t height,
                             std::int32_t bitsPerPixel) {
  if (DirectDrawCreate(nullptr, &device, nullptr) != DD_OK) {
    device = nullptr;
    return false;
  }
  // A refused cooperative level shows up as a refused display mode next.
  device->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
  if (device->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                             static_cast<DWORD>(bitsPerPixel)) != DD_OK) {
    return false;
  }

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (device->CreateSurface(&desc, &primary, nullptr) != DD_OK) {
    primary = nullptr;
    return false;
  }

  DDSCAPS caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  if (primary->GetAttachedSurface(&caps, &backBuffer) != DD_OK) {
    backBuffer = nullptr;
    return false;
  }

  Clear(primary);
  Clear(backBuffer);
  return true;
}

bool Display::Clear(IDirectDrawSurface* surface) {
  // After a failed set-up the frames still come: they simply show nothing.
  if (surface == nullptr) {
    return true;
  }
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = kClearPixel;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  return true;
}

void Display::Present() {
  if (primary == nullptr) {
    return;
  }
  // No DDFLIP_WAIT: a flip that cannot happen at once drops this frame.
  primary->Flip(nullptr, 0);
}

void Display::Release() {
  if (device == nullptr) {
    return;
  }
  if (primary != nullptr) {
    primary->Release();
    primary = nullptr;
  }
  // The back buffer went with the primary's flip chain.
  backBuffer = nullptr;
  device->Release();
  device = nullptr;
}
