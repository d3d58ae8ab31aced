// The input as a picture file, loaded the way the catalogue loads its
// pictures and then drawn every way the game draws them, so any size the
// loader lets through reaches the copies. Each input goes through a 565
// display and through a 555 one with padded rows.
#include <cstddef>
#include <cstdint>

#include "canvas_rig.h"
#include "fuzz_support.h"
#include "sprite/sprite.h"

namespace {

constexpr char kFileName[] = "input.bmp";

void LoadAndDraw(fuzzsupport::CanvasRig& rig) {
  const support::BackendScope scope(rig.backend);
  Sprite picture;
  picture.LoadBmp(rig.display.GetDirectDraw(), kFileName);
  IDirectDrawSurface* dest = rig.canvas.GetSurface();
  const std::int32_t w = picture.GetWidth();
  const std::int32_t h = picture.GetHeight();
  // Whole, cut at the top left, cut at the bottom right, and far outside.
  const std::int32_t places[][2] = {{0, 0}, {-w / 2, -h / 2}, {320 - w / 2, 240 - h / 2}, {-w - 1, 0}};
  for (const auto& place : places) {
    picture.Draw(dest, place[0], place[1]);
  }
  for (std::int32_t mode = 0; mode <= 3; ++mode) {
    picture.DrawMirrored(dest, places[mode][0], places[mode][1], mode);
  }
  // The other way round: the canvas drawn onto the picture.
  rig.canvas.Draw(picture.GetSurface(), -w / 2, -h / 2);
  picture.PutPixel(w - 1, h - 1, kTransparentColor);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzsupport::InWorkFolder here;
  static fuzzsupport::CanvasRig rig565;
  static fuzzsupport::CanvasRig rig555(platform::HeadlessOptions{.use555 = true, .pitchPaddingBytes = 6});
  fuzzsupport::WriteInput(kFileName, data, size);
  LoadAndDraw(rig565);
  LoadAndDraw(rig555);
  return 0;
}
