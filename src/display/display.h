// The one display device: the 16-bit full-screen mode, the primary surface
// with its back buffer, clearing and presenting.
#pragma once

#include "platform/ddraw.h"

class Display {
 public:
  Display() = default;
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // True on success, false at the first failing step.
  bool InitFullScreen(HWND window, std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
  // Fills the surface with the raw pixel value 1; always true.
  bool Clear(IDirectDrawSurface* surface);
  // Flips without waiting; a refused flip leaves that frame unshown.
  void Present();
  IDirectDraw* GetDirectDraw() const { return device; }
  IDirectDrawSurface* GetBackBuffer() const { return backBuffer; }
  void Release();

  IDirectDraw* device = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* backBuffer = nullptr;
};
