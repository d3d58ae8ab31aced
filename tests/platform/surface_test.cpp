#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/ddraw.h"
#include "support/headless_env.h"

namespace {

using testsupport::HeadlessEnv;

class Surfaces {
 public:
  Surfaces() { EXPECT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK); }
  ~Surfaces() {
    for (IDirectDrawSurface* surface : made_) surface->Release();
    dd_->Release();
  }
  Surfaces(const Surfaces&) = delete;
  Surfaces& operator=(const Surfaces&) = delete;

  IDirectDraw* dd() { return dd_; }

  IDirectDrawSurface* Make(int width, int height) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    if (surface != nullptr) made_.push_back(surface);
    return surface;
  }

  // Every pixel a different value: 1 + x + 16 y.
  IDirectDrawSurface* MakeNumbered(int width, int height) {
    IDirectDrawSurface* surface = Make(width, height);
    Paint(surface, [](int x, int y) { return static_cast<std::uint16_t>(1 + x + 16 * y); });
    return surface;
  }

  template <typename F>
  static void Paint(IDirectDrawSurface* surface, F valueAt) {
    DDSURFACEDESC desc{};
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    auto* base = static_cast<std::uint8_t*>(desc.lpSurface);
    for (int y = 0; y < surface->Height(); ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(base + y * desc.lPitch);
      for (int x = 0; x < surface->Width(); ++x) row[x] = valueAt(x, y);
    }
    surface->Unlock(nullptr);
  }

  static void Fill(IDirectDrawSurface* surface, std::uint16_t value) {
    Paint(surface, [value](int, int) { return value; });
  }

 private:
  IDirectDraw* dd_ = nullptr;
  std::vector<IDirectDrawSurface*> made_;
};

void SetKey(IDirectDrawSurface* surface, std::uint16_t key) {
  DDCOLORKEY colorKey{key, key};
  ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &colorKey), DD_OK);
}

TEST(SurfaceTest, BltFastCopiesKeyedPixelsAndRefusesPicturesThatDoNotFit) {
  HeadlessEnv env;
  Surfaces s;
  IDirectDrawSurface* canvas = s.Make(320, 240);
  IDirectDrawSurface* picture = s.MakeNumbered(13, 13);
  Surfaces::Fill(canvas, 7);
  SetKey(picture, 1 + 3 + 16 * 2);  // the pixel at (3, 2)

  EXPECT_EQ(canvas->BltFast(307, 227, picture, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(canvas->PixelAt(307, 227), 1);
  EXPECT_EQ(canvas->PixelAt(319, 239), 1 + 12 + 16 * 12);
  EXPECT_EQ(canvas->PixelAt(310, 229), 7) << "the key-coloured pixel is skipped";
  EXPECT_EQ(canvas->PixelAt(306, 227), 7);

  // Without the flag the key colour is copied like any other.
  EXPECT_EQ(canvas->BltFast(0, 0, picture, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
  EXPECT_EQ(canvas->PixelAt(3, 2), 1 + 3 + 16 * 2);

  Surfaces::Fill(canvas, 7);
  for (const auto& [x, y] : {std::pair<DWORD, DWORD>{310, 0}, {0, 230}, {308, 228}, {0xFFFFFFFBu, 0}}) {
    EXPECT_LT(canvas->BltFast(x, y, picture, nullptr, DDBLTFAST_SRCCOLORKEY), 0) << x << "," << y;
  }
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x)
      ASSERT_EQ(canvas->PixelAt(x, y), 7) << "a refused copy drew at " << x << "," << y;
  }

  // Rows are compared several pixels at a time: keys anywhere in a row, in
  // the bulk of it or in its last few pixels, are skipped all the same.
  IDirectDrawSurface* striped = s.Make(21, 2);
  Surfaces::Paint(striped,
                  [](int x, int) { return static_cast<std::uint16_t>(x % 4 == 1 ? 0xFC10 : 100 + x); });
  SetKey(striped, 0xFC10);
  ASSERT_EQ(canvas->BltFast(100, 100, striped, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  for (int x = 0; x < 21; ++x) {
    EXPECT_EQ(canvas->PixelAt(100 + x, 101), x % 4 == 1 ? 7 : 100 + x) << "column " << x;
  }

  // A source rectangle picks part of the picture; one outside it is refused.
  RECT part{2, 3, 5, 4};
  EXPECT_EQ(canvas->BltFast(10, 20, picture, &part, DDBLTFAST_NOCOLORKEY), DD_OK);
  EXPECT_EQ(canvas->PixelAt(10, 20), 1 + 2 + 16 * 3);
  EXPECT_EQ(canvas->PixelAt(12, 20), 1 + 4 + 16 * 3);
  EXPECT_EQ(canvas->PixelAt(13, 20), 7);
  EXPECT_EQ(canvas->PixelAt(10, 21), 7);
  RECT outside{10, 0, 14, 2};
  EXPECT_LT(canvas->BltFast(0, 0, picture, &outside, DDBLTFAST_NOCOLORKEY), 0);
}

TEST(SurfaceTest, BltCopiesSameSizeRectanglesAndRefusesEverythingElse) {
  HeadlessEnv env;
  Surfaces s;
  IDirectDrawSurface* dest = s.Make(20, 10);
  IDirectDrawSurface* picture = s.MakeNumbered(8, 6);
  SetKey(picture, 1 + 1 + 16 * 1);
  Surfaces::Fill(dest, 9);

  RECT from{1, 1, 4, 3};
  RECT to{5, 5, 8, 7};
  EXPECT_EQ(dest->Blt(&to, picture, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(dest->PixelAt(5, 5), 9) << "key skipped";
  EXPECT_EQ(dest->PixelAt(6, 5), 1 + 2 + 16);
  EXPECT_EQ(dest->PixelAt(7, 6), 1 + 3 + 32);
  EXPECT_EQ(dest->PixelAt(8, 6), 9);

  Surfaces::Fill(dest, 9);
  const RECT refusedPairs[][2] = {
      {{18, 0, 21, 2}, {0, 0, 3, 2}},  // destination leaves its surface on the right
      {{-1, 0, 2, 2}, {0, 0, 3, 2}},   // ... on the left
      {{0, 9, 3, 11}, {0, 0, 3, 2}},   // ... at the bottom
      {{0, 0, 3, 2}, {6, 0, 9, 2}},    // source leaves the picture
      {{0, 0, 3, 2}, {0, 0, 3, 3}},    // sizes differ
      {{3, 0, 3, 2}, {0, 0, 0, 2}},    // empty
      {{3, 0, 0, 2}, {3, 0, 0, 2}},    // inverted
  };
  for (const auto& pair : refusedPairs) {
    RECT d = pair[0];
    RECT f = pair[1];
    EXPECT_LT(dest->Blt(&d, picture, &f, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), 0)
        << d.left << "," << d.top << "," << d.right << "," << d.bottom;
  }
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(dest->PixelAt(x, y), 9) << x << "," << y;
  }
}

// What a mirrored copy of source rectangle `from` must put at destination
// offset (column, row).
std::uint16_t MirroredSource(const RECT& from, int column, int row, DWORD effects) {
  const int width = from.right - from.left;
  const int height = from.bottom - from.top;
  const int x =
      (effects & DDBLTFX_MIRRORLEFTRIGHT) != 0 ? from.left + width - 1 - column : from.left + column;
  const int y = (effects & DDBLTFX_MIRRORUPDOWN) != 0 ? from.top + height - 1 - row : from.top + row;
  return static_cast<std::uint16_t>(1 + x + 16 * y);
}

TEST(SurfaceTest, MirroredBltFlipsTheSourceRectangleInEachMode) {
  HeadlessEnv env;
  Surfaces s;
  IDirectDrawSurface* dest = s.Make(12, 12);
  IDirectDrawSurface* picture = s.MakeNumbered(9, 7);
  const RECT from{2, 1, 7, 5};  // 5 x 4, away from every edge of the picture
  const RECT to{3, 6, 8, 10};
  for (DWORD effects :
       {DDBLTFX_MIRRORLEFTRIGHT, DDBLTFX_MIRRORUPDOWN, DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN}) {
    Surfaces::Fill(dest, 0);
    DDBLTFX fx{};
    fx.dwSize = 100;
    fx.dwDDFX = effects;
    RECT f = from;
    RECT t = to;
    ASSERT_EQ(dest->Blt(&t, picture, &f, DDBLT_DDFX | DDBLT_KEYSRC | DDBLT_WAIT, &fx), DD_OK);
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 5; ++column) {
        ASSERT_EQ(dest->PixelAt(to.left + column, to.top + row), MirroredSource(from, column, row, effects))
            << "effects " << effects << " at " << column << "," << row;
      }
    }
    EXPECT_EQ(dest->PixelAt(2, 6), 0);
    EXPECT_EQ(dest->PixelAt(8, 9), 0);
  }
  // The leftmost destination column is the rightmost source column.
  EXPECT_EQ(MirroredSource(from, 0, 0, DDBLTFX_MIRRORLEFTRIGHT), 1 + 6 + 16);

  // The key still applies to a mirrored copy.
  SetKey(picture, 1 + 6 + 16);
  Surfaces::Fill(dest, 0);
  DDBLTFX fx{};
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
  RECT f = from;
  RECT t = to;
  ASSERT_EQ(dest->Blt(&t, picture, &f, DDBLT_DDFX | DDBLT_KEYSRC, &fx), DD_OK);
  EXPECT_EQ(dest->PixelAt(3, 6), 0);
  EXPECT_EQ(dest->PixelAt(4, 6), 1 + 5 + 16);
}

TEST(SurfaceTest, ColourFillCoversTheRectangleOrTheWholeSurfaceButNotThePadding) {
  HeadlessEnv env({.pitchPaddingBytes = 6});
  Surfaces s;
  IDirectDrawSurface* surface = s.Make(10, 4);
  EXPECT_EQ(surface->PitchBytes(), 26);
  DDBLTFX fx{};
  fx.dwSize = 100;
  fx.dwFillColor = 1;
  ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 10; ++x) ASSERT_EQ(surface->PixelAt(x, y), 1);
    for (int pad = 10; pad < 13; ++pad) EXPECT_EQ(surface->Row(y)[pad], 0) << "row padding written";
  }
  fx.dwFillColor = 0xABCD;
  RECT area{2, 1, 4, 3};
  ASSERT_EQ(surface->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(surface->PixelAt(2, 1), 0xABCD);
  EXPECT_EQ(surface->PixelAt(3, 2), 0xABCD);
  EXPECT_EQ(surface->PixelAt(4, 2), 1);
  EXPECT_EQ(surface->PixelAt(2, 3), 1);
  RECT outside{8, 0, 11, 1};
  EXPECT_LT(surface->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx), 0);
  EXPECT_EQ(surface->PixelAt(9, 0), 1);
}

TEST(SurfaceTest, PaddedPitchIsReportedByLockAndHonouredByCopies) {
  HeadlessEnv env({.pitchPaddingBytes = 5});  // odd: rounded up to whole pixels
  Surfaces s;
  IDirectDrawSurface* picture = s.MakeNumbered(7, 5);
  IDirectDrawSurface* dest = s.Make(9, 6);
  DDSURFACEDESC desc{};
  ASSERT_EQ(picture->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.lPitch, 7 * 2 + 6);
  EXPECT_EQ(desc.dwWidth, 7u);
  EXPECT_EQ(desc.dwHeight, 5u);
  // Row 3, column 4, found through the pitch the lock reported.
  const auto* base = static_cast<const std::uint8_t*>(desc.lpSurface);
  EXPECT_EQ(reinterpret_cast<const std::uint16_t*>(base + 3 * desc.lPitch)[4], 1 + 4 + 16 * 3);
  picture->Unlock(nullptr);

  ASSERT_EQ(dest->BltFast(1, 1, picture, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) ASSERT_EQ(dest->PixelAt(x + 1, y + 1), 1 + x + 16 * y);
  }
}

TEST(SurfaceTest, PixelFormatFollowsTheBackEnd) {
  for (bool use555 : {false, true}) {
    HeadlessEnv env({.use555 = use555});
    Surfaces s;
    IDirectDrawSurface* surface = s.Make(4, 4);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_PIXELFORMAT;
    ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, use555 ? 0x7C00u : 0xF800u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, use555 ? 0x03E0u : 0x07E0u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
    EXPECT_EQ(surface->Is565(), !use555);
  }
}

TEST(SurfaceTest, SurfaceSizesOutsideOneTo4096AreRefused) {
  HeadlessEnv env;
  Surfaces s;
  for (const auto& [w, h] : {std::pair<DWORD, DWORD>{0, 5}, {5, 0}, {4097, 1}, {1, 4097}}) {
    DDSURFACEDESC desc{};
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = w;
    desc.dwHeight = h;
    IDirectDrawSurface* surface = s.Make(1, 1);  // a refusal must clear it
    EXPECT_LT(s.dd()->CreateSurface(&desc, &surface, nullptr), 0) << w << "x" << h;
    EXPECT_EQ(surface, nullptr);
  }
  EXPECT_NE(s.Make(4096, 1), nullptr);
  EXPECT_NE(s.Make(1, 1), nullptr);
}

DDSURFACEDESC PrimaryDesc() {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  return desc;
}

TEST(SurfaceTest, FlipPresentsTheBackBufferWithoutItsPaddingAndMovesTheClockOneMs) {
  HeadlessEnv env({.use555 = true, .pitchPaddingBytes = 4});
  Surfaces s;
  IDirectDrawSurface* primary = nullptr;
  DDSURFACEDESC desc = PrimaryDesc();
  EXPECT_LT(s.dd()->CreateSurface(&desc, &primary, nullptr), 0) << "no display mode yet";
  EXPECT_EQ(s.dd()->SetDisplayMode(320, 240, 32), DDERR_UNSUPPORTED);
  ASSERT_EQ(s.dd()->SetDisplayMode(320, 240, 16), DD_OK);
  ASSERT_EQ(s.dd()->CreateSurface(&desc, &primary, nullptr), DD_OK);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  ASSERT_EQ(back->Width(), 320);
  EXPECT_EQ(back->PitchBytes(), 644);

  Surfaces::Paint(back, [](int x, int y) { return static_cast<std::uint16_t>(x * 7 + y * 3); });
  const std::uint32_t before = env->now();
  std::vector<std::uint32_t> presentedAt;
  env->SetPresentWatcher(
      [&presentedAt](const platform::FrameView&, std::uint32_t time) { presentedAt.push_back(time); });
  ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(env->now(), before + 1);
  EXPECT_EQ(env->presentCount(), 1u);
  EXPECT_EQ(presentedAt, std::vector<std::uint32_t>{before});
  EXPECT_EQ(env->frameWidth(), 320);
  EXPECT_EQ(env->frameHeight(), 240);
  EXPECT_FALSE(env->frameIs565());
  EXPECT_EQ(env->FramePixel(0, 0), 0);
  EXPECT_EQ(env->FramePixel(319, 0), 319 * 7);
  EXPECT_EQ(env->FramePixel(5, 239), 5 * 7 + 239 * 3);
  EXPECT_EQ(back->PixelAt(5, 239), 5 * 7 + 239 * 3) << "the back buffer keeps its pixels";

  EXPECT_EQ(back->Release(), 1u) << "the back buffer belongs to the primary";
  EXPECT_EQ(primary->Release(), 0u);
}

}  // namespace
