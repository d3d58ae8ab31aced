#include "sprite/sprite.h"

#include <algorithm>
#include <cstring>

#include "formats/pixel_format.h"

namespace {

using formats::kRgb555;
using formats::kRgb565;

// A picture cut to the drawing bounds: where it lands and which of its own
// rows and columns land there.
struct CutPlace {
  RECT dest;
  RECT source;
};

// False when nothing of the picture is visible inside the bounds.
bool CutToBounds(const Sprite& sprite, std::int32_t x, std::int32_t y, bool mirrorLeftRight,
                 bool mirrorUpDown, CutPlace& place) {
  // 64-bit sums: a far-off position must not wrap into view.
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + sprite.width, sprite.clipRight);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + sprite.height, sprite.clipBottom);
  const std::int32_t left = std::max(x, sprite.clipLeft);
  const std::int32_t top = std::max(y, sprite.clipTop);
  if (right <= left || bottom <= top) {
    return false;
  }
  place.dest = RECT{left, top, static_cast<LONG>(right), static_cast<LONG>(bottom)};

  // Offsets inside the picture of the visible part, before any mirroring.
  const LONG visibleLeft = left - x;
  const LONG visibleRight = static_cast<LONG>(right - x);
  const LONG visibleTop = top - y;
  const LONG visibleBottom = static_cast<LONG>(bottom - y);
  // A mirrored axis shows on its cut-off side what lies on the far side of
  // the picture.
  const auto sourceSpan = [](bool mirrored, LONG size, LONG first, LONG end, LONG& sourceFirst,
                             LONG& sourceEnd) {
    sourceFirst = mirrored ? size - end : first;
    sourceEnd = mirrored ? size - first : end;
  };
  sourceSpan(mirrorLeftRight, sprite.width, visibleLeft, visibleRight, place.source.left, place.source.right);
  sourceSpan(mirrorUpDown, sprite.height, visibleTop, visibleBottom, place.source.top, place.source.bottom);
  return true;
}

}  // namespace

Sprite::Sprite() {
  surface = nullptr;
  rgbPixels = nullptr;
  std::memset(&surfaceDesc, 0, sizeof(surfaceDesc));
  clipLeft = 0;
  clipTop = 0;
  clipRight = 640;
  clipBottom = 480;
}

Sprite::~Sprite() {
  if (surface != nullptr) {
    Release();
  }
  delete[] rgbPixels;
  rgbPixels = nullptr;
}

bool Sprite::Create(IDirectDraw* directDraw, std::int32_t newWidth, std::int32_t newHeight) {
  // A second Create would otherwise lose the first surface for good.
  Release();
  width = newWidth;
  height = newHeight;
  if (directDraw == nullptr || newWidth <= 0 || newHeight <= 0) {
    return false;
  }

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(newWidth);
  desc.dwHeight = static_cast<DWORD>(newHeight);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface* created = nullptr;
  if (directDraw->CreateSurface(&desc, &created, nullptr) < 0 || created == nullptr) {
    return false;
  }
  surface = created;

  QueryPixelFormat();
  SetColorKey(kTransparentColor);
  return true;
}

void Sprite::QueryPixelFormat() {
  std::memset(&surfaceDesc, 0, sizeof(surfaceDesc));
  surfaceDesc.dwSize = sizeof(surfaceDesc);
  surfaceDesc.dwFlags = DDSD_PIXELFORMAT;
  if (surface == nullptr || surface->GetSurfaceDesc(&surfaceDesc) != DD_OK) {
    return;
  }
  for (const formats::PixelFormat* format : {&kRgb565, &kRgb555}) {
    if (surfaceDesc.ddpfPixelFormat.dwRBitMask == format->redMask) {
      pixelFormat = format->number;
      redMask = format->redMask;
      greenMask = format->greenMask;
      blueMask = format->blueMask;
      return;
    }
  }
}

std::uint16_t Sprite::ColorToPixel(COLORREF color) const {
  const unsigned r = color & 0xFF;
  const unsigned g = (color >> 8) & 0xFF;
  const unsigned b = (color >> 16) & 0xFF;
  if (pixelFormat == kRgb565.number) {
    return formats::PackPixel(kRgb565, r, g, b);
  }
  if (pixelFormat == kRgb555.number) {
    return formats::PackPixel(kRgb555, r, g, b);
  }
  // Unknown format: nothing sensible to convert to.
  return 0;
}

void Sprite::SetColorKey(COLORREF color) {
  if (surface == nullptr) {
    return;
  }
  const std::uint16_t pixel = ColorToPixel(color);
  DDCOLORKEY key{pixel, pixel};
  surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

HRESULT Sprite::Draw(IDirectDrawSurface* dest, std::int32_t x, std::int32_t y) {
  if (x > clipRight || y > clipBottom) {
    return 0;
  }
  // A picture whose file failed to load is simply absent.
  if (surface == nullptr || dest == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (x >= clipLeft && y >= clipTop && x + width <= clipRight && y + height <= clipBottom) {
    return dest->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), surface, nullptr,
                         DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  }
  CutPlace place{};
  if (!CutToBounds(*this, x, y, false, false, place)) {
    return DDERR_INVALIDRECT;
  }
  return dest->Blt(&place.dest, surface, &place.source, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
}

int Sprite::DrawMirrored(IDirectDrawSurface* dest, std::int32_t x, std::int32_t y, std::int32_t mode) {
  if (x > clipRight || y > clipBottom) {
    return 0;
  }
  const bool leftRight = mode != MirrorUpDown;
  const bool upDown = mode != MirrorLeftRight;
  CutPlace place{};
  if (surface == nullptr || dest == nullptr || !CutToBounds(*this, x, y, leftRight, upDown, place)) {
    return 1;
  }
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwDDFX = (leftRight ? DDBLTFX_MIRRORLEFTRIGHT : 0) | (upDown ? DDBLTFX_MIRRORUPDOWN : 0);
  dest->Blt(&place.dest, surface, &place.source, DDBLT_DDFX | DDBLT_KEYSRC | DDBLT_WAIT, &fx);
  return 1;
}

void Sprite::PutPixel(std::int32_t x, std::int32_t y, COLORREF color) {
  // Text that runs past the surface loses only the pixels outside it.
  if (surface == nullptr || x < 0 || y < 0 || x >= width || y >= height) {
    return;
  }
  const std::uint16_t pixel = ColorToPixel(color);
  auto* pixels = static_cast<std::uint16_t*>(Lock());
  if (pixels == nullptr) {
    return;
  }
  pixels[y * (surfaceDesc.lPitch / 2) + x] = pixel;
  Unlock();
}

void* Sprite::Lock() {
  if (surface == nullptr) {
    return nullptr;
  }
  surfaceDesc.dwSize = sizeof(surfaceDesc);
  surfaceDesc.lpSurface = nullptr;
  if (surface->Lock(nullptr, &surfaceDesc, DDLOCK_WAIT, nullptr) != DD_OK) {
    return nullptr;
  }
  return surfaceDesc.lpSurface;
}

void Sprite::Unlock() {
  if (surface != nullptr) {
    surface->Unlock(nullptr);
  }
}

void Sprite::Release() {
  if (surface != nullptr) {
    surface->Release();
    surface = nullptr;
  }
}

void Sprite::ReleaseAll(std::span<Sprite> pictures) {
  for (Sprite& picture : pictures) {
    picture.Release();
  }
}
