#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/ddraw.h"
#include "support/headless_env.h"

namespace {

using support::HeadlessEnv;
using PixelRule = std::function<std::uint16_t(int, int)>;

// Every pixel a different value, so a copy shows where each one came from.
std::uint16_t Numbered(int x, int y) { return static_cast<std::uint16_t>(1 + x + 16 * y); }
PixelRule Constant(std::uint16_t value) {
  return [value](int, int) { return value; };
}

void Paint(IDirectDrawSurface* surface, const PixelRule& valueAt) {
  DDSURFACEDESC desc{};
  ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  for (int y = 0; y < surface->Height(); ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(static_cast<char*>(desc.lpSurface) + y * desc.lPitch);
    for (int x = 0; x < surface->Width(); ++x) row[x] = valueAt(x, y);
  }
  surface->Unlock(nullptr);
}

int PixelsOtherThan(const IDirectDrawSurface* surface, std::uint16_t value) {
  int count = 0;
  for (int y = 0; y < surface->Height(); ++y) {
    for (int x = 0; x < surface->Width(); ++x) count += surface->PixelAt(x, y) != value ? 1 : 0;
  }
  return count;
}

void SetKey(IDirectDrawSurface* surface, std::uint16_t key) {
  DDCOLORKEY colorKey{key, key};
  ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &colorKey), DD_OK);
}

// A DirectDraw object and every surface made from it, released at the end.
struct Surfaces {
  IDirectDraw* dd = nullptr;
  std::vector<IDirectDrawSurface*> made;

  Surfaces() { EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK); }
  ~Surfaces() {
    for (IDirectDrawSurface* surface : made) surface->Release();
    dd->Release();
  }
  HRESULT Create(DWORD width, DWORD height, IDirectDrawSurface** surface) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = width;
    desc.dwHeight = height;
    const HRESULT result = dd->CreateSurface(&desc, surface, nullptr);
    if (result == DD_OK) made.push_back(*surface);
    return result;
  }
  IDirectDrawSurface* Make(DWORD width, DWORD height, const PixelRule& valueAt = Numbered) {
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(Create(width, height, &surface), DD_OK);
    if (surface != nullptr) Paint(surface, valueAt);
    return surface;
  }
};

TEST(SurfaceTest, BltFastCopiesKeyedPixelsAndRefusesPicturesThatDoNotFit) {
  HeadlessEnv env;
  Surfaces s;
  IDirectDrawSurface* canvas = s.Make(320, 240, Constant(0));
  IDirectDrawSurface* picture = s.Make(13, 13);
  SetKey(picture, Numbered(3, 2));
  for (const auto& [x, y] : {std::pair<DWORD, DWORD>{310, 0}, {0, 230}, {308, 228}, {0xFFFFFFFBu, 0}}) {
    EXPECT_LT(canvas->BltFast(x, y, picture, nullptr, DDBLTFAST_SRCCOLORKEY), 0) << x << "," << y;
  }
  EXPECT_EQ(PixelsOtherThan(canvas, 0), 0) << "a refused copy drew";

  EXPECT_EQ(canvas->BltFast(307, 227, picture, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(canvas->PixelAt(307, 227), Numbered(0, 0));
  EXPECT_EQ(canvas->PixelAt(319, 239), Numbered(12, 12));
  EXPECT_EQ(canvas->PixelAt(310, 229), 0) << "the key-coloured pixel is skipped";
  EXPECT_EQ(PixelsOtherThan(canvas, 0), 13 * 13 - 1);

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  ASSERT_EQ(picture->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.ddckCKSrcBlt.dwColorSpaceLowValue, Numbered(3, 2)) << "the descriptor follows the key";

  // Rows are compared several pixels at a time: keys in the bulk of a row
  // and in its last few pixels are skipped all the same, whether or not the
  // width is a whole number of groups.
  DDBLTFX fill{};
  fill.dwSize = sizeof(fill);
  for (int width : {8, 16, 21}) {
    IDirectDrawSurface* striped = s.Make(static_cast<DWORD>(width), 2, [](int x, int) {
      return static_cast<std::uint16_t>(x % 4 == 1 || x % 8 == 7 ? 0xFC10 : 100 + x);
    });
    SetKey(striped, 0xFC10);
    ASSERT_EQ(canvas->BltFast(100, 100, striped, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    for (int x = 0; x < width; ++x) {
      EXPECT_EQ(canvas->PixelAt(100 + x, 101), x % 4 == 1 || x % 8 == 7 ? 0 : 100 + x) << width << ":" << x;
    }
    ASSERT_EQ(canvas->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fill), DD_OK);
  }
}

TEST(SurfaceTest, BltCopiesAndFillsRectanglesAndRefusesEverythingElse) {
  HeadlessEnv env;
  Surfaces s;
  IDirectDrawSurface* dest = s.Make(20, 10, Constant(9));
  IDirectDrawSurface* picture = s.Make(8, 6);
  SetKey(picture, Numbered(1, 1));
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
    RECT to = pair[0];
    RECT from = pair[1];
    EXPECT_LT(dest->Blt(&to, picture, &from, DDBLT_KEYSRC, nullptr), 0) << to.left << "," << to.top;
  }
  EXPECT_EQ(PixelsOtherThan(dest, 9), 0) << "a refused copy drew";

  RECT from{1, 1, 4, 3};
  RECT to{5, 5, 8, 7};
  EXPECT_EQ(dest->Blt(&to, picture, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(dest->PixelAt(5, 5), 9) << "key skipped";
  EXPECT_EQ(dest->PixelAt(6, 5), Numbered(2, 1));
  EXPECT_EQ(dest->PixelAt(7, 6), Numbered(3, 2));
  EXPECT_EQ(PixelsOtherThan(dest, 9), 5);

  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0xABCD;
  RECT outside{18, 0, 21, 1};
  EXPECT_LT(dest->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx), 0);
  ASSERT_EQ(dest->Blt(&to, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(dest->PixelAt(5, 5), 0xABCD);
  EXPECT_EQ(PixelsOtherThan(dest, 9), 6) << "the fill covers exactly its rectangle";
}

TEST(SurfaceTest, MirroredBltFlipsTheSourceRectangleInEachModeAndKeepsTheKey) {
  HeadlessEnv env;
  Surfaces s;
  IDirectDrawSurface* dest = s.Make(12, 12);
  IDirectDrawSurface* picture = s.Make(9, 7);
  const RECT from{2, 1, 7, 5};  // 5 x 4, away from every edge of the picture
  const RECT to{3, 6, 8, 10};
  SetKey(picture, Numbered(2, 1));
  const DWORD leftRight = DDBLTFX_MIRRORLEFTRIGHT;
  const DWORD upDown = DDBLTFX_MIRRORUPDOWN;
  for (DWORD effects : {leftRight, upDown, leftRight | upDown}) {
    Paint(dest, Constant(0));
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwDDFX = effects;
    RECT f = from;
    RECT t = to;
    ASSERT_EQ(dest->Blt(&t, picture, &f, DDBLT_DDFX | DDBLT_KEYSRC | DDBLT_WAIT, &fx), DD_OK);
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 5; ++column) {
        const int x = (effects & leftRight) != 0 ? from.right - 1 - column : from.left + column;
        const int y = (effects & upDown) != 0 ? from.bottom - 1 - row : from.top + row;
        const std::uint16_t expected = x == 2 && y == 1 ? 0 : Numbered(x, y);
        ASSERT_EQ(dest->PixelAt(to.left + column, to.top + row), expected) << effects << ":" << column << row;
      }
    }
    EXPECT_EQ(PixelsOtherThan(dest, 0), 19) << "drawn outside the rectangle";
  }
}

TEST(SurfaceTest, PixelFormatFollowsTheBackEndAndSizesStayWithinOneTo4096) {
  for (bool use555 : {false, true}) {
    HeadlessEnv env({.use555 = use555});
    Surfaces s;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(s.Make(4, 4)->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, use555 ? 0x7C00u : 0xF800u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, use555 ? 0x03E0u : 0x07E0u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
  }
  HeadlessEnv env;
  Surfaces s;
  for (const auto& [w, h] : {std::pair<DWORD, DWORD>{0, 5}, {5, 0}, {4097, 1}, {1, 4097}}) {
    IDirectDrawSurface* surface = s.Make(1, 1);  // a refusal must clear it
    EXPECT_LT(s.Create(w, h, &surface), 0) << w << "x" << h;
    EXPECT_EQ(surface, nullptr);
  }
  EXPECT_NE(s.Make(4096, 1), nullptr);
}

// The primary and its back buffer, as the display sets them up, on rows padded
// by an odd number of bytes (rounded up to whole pixels).
TEST(SurfaceTest, PaddedRowsAreHonouredByLockFillCopyAndFlip) {
  HeadlessEnv env({.use555 = true, .pitchPaddingBytes = 5});
  Surfaces s;
  EXPECT_EQ(s.dd->SetDisplayMode(320, 240, 32), DDERR_UNSUPPORTED);
  ASSERT_EQ(s.dd->SetDisplayMode(320, 240, 16), DD_OK);
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(s.dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  IDirectDrawSurface* picture = s.Make(7, 5);
  ASSERT_EQ(picture->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.lPitch, 7 * 2 + 6);
  picture->Unlock(nullptr);
  ASSERT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER, DWORD{DDSCAPS_BACKBUFFER});
  EXPECT_EQ(desc.dwSize, sizeof(desc)) << "the caller's size stays";
  back->Unlock(nullptr);

  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 1;
  ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  for (int y = 0; y < 240; ++y) ASSERT_EQ(back->Row(y)[320], 0) << "row padding written at " << y;
  ASSERT_EQ(back->BltFast(300, 230, picture, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
  const std::uint32_t before = env->now();
  ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(env->now(), before + 1);
  EXPECT_EQ(env->presentCount(), 1u);
  ASSERT_EQ(std::pair(env->frameWidth(), env->frameHeight()), std::pair(320, 240));
  EXPECT_FALSE(env->frameIs565());
  EXPECT_EQ(env->FramePixel(299, 230), 1);
  EXPECT_EQ(env->FramePixel(300, 230), Numbered(0, 0));
  EXPECT_EQ(env->FramePixel(306, 234), Numbered(6, 4));
  EXPECT_EQ(env->FramePixel(319, 239), 1);
  EXPECT_EQ(back->Release(), 1u) << "the back buffer belongs to the primary";
  EXPECT_EQ(primary->Release(), 0u);
}

}  // namespace
