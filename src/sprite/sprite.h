// One picture in an off-screen 16-bit surface with the transparent colour
// 0x8080FF, drawn plain, clipped or mirrored.
#pragma once

#include <cstdint>
#include <span>

#include "formats/bmp_file.h"
#include "platform/ddraw.h"

using formats::BitmapFileHeader;
using formats::BitmapInfoHeader;
using formats::kTransparentColor;

// DrawMirrored's modes; any other value mirrors both ways.
enum MirrorMode : std::int32_t { MirrorLeftRight = 1, MirrorUpDown = 2 };

class Sprite {
 public:
  Sprite();
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  bool Create(IDirectDraw* directDraw, std::int32_t width, std::int32_t height);
  bool LoadBmp(IDirectDraw* directDraw, const char* path);
  void Release();
  // Release on every picture of a table.
  static void ReleaseAll(std::span<Sprite> pictures);
  // LoadBmp on every picture of a table, picture i from the file that the
  // pattern names with i + 1 ("wall%d.bmp": wall1.bmp, wall2.bmp, ...).
  static void LoadNumbered(IDirectDraw* directDraw, std::span<Sprite> pictures, const char* pattern);
  HRESULT Draw(IDirectDrawSurface* dest, std::int32_t x, std::int32_t y);
  int DrawMirrored(IDirectDrawSurface* dest, std::int32_t x, std::int32_t y, std::int32_t mode);
  IDirectDrawSurface* GetSurface() const { return surface; }
  std::int32_t GetWidth() const { return width; }
  std::int32_t GetHeight() const { return height; }
  // Pixels outside the surface are dropped.
  void PutPixel(std::int32_t x, std::int32_t y, COLORREF color);
  // PutPixel for every (x, y) that plot hands to the function it is given,
  // all in one colour: the same pixels, locked once instead of each time.
  template <class Plot>
  void PutPixels(COLORREF color, Plot plot);
  void* Lock();
  void Unlock();
  void SetColorKey(COLORREF color);
  std::uint16_t ColorToPixel(COLORREF color) const;
  void QueryPixelFormat();

  IDirectDrawSurface* surface = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  DDSURFACEDESC surfaceDesc{};
  std::uint8_t* rgbPixels = nullptr;
  std::uint16_t pixelFormat = 0;
  std::uint16_t redMask = 0;
  std::uint16_t greenMask = 0;
  std::uint16_t blueMask = 0;
  std::int32_t clipLeft = 0;
  std::int32_t clipTop = 0;
  std::int32_t clipRight = 640;
  std::int32_t clipBottom = 480;
  BitmapInfoHeader infoHeader{};
  BitmapFileHeader fileHeader{};
};

template <class Plot>
void Sprite::PutPixels(COLORREF color, Plot plot) {
  if (surface == nullptr) {
    return;
  }
  const std::uint16_t pixel = ColorToPixel(color);
  std::uint16_t* pixels = nullptr;
  bool refused = false;
  // Locked at the first pixel inside, as PutPixel would have been.
  plot([&](std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= width || y >= height || refused) {
      return;
    }
    if (pixels == nullptr) {
      pixels = static_cast<std::uint16_t*>(Lock());
      refused = pixels == nullptr;
      if (refused) {
        return;
      }
    }
    pixels[y * (surfaceDesc.lPitch / 2) + x] = pixel;
  });
  if (pixels != nullptr) {
    Unlock();
  }
}
