#include <gtest/gtest.h>

#include "engine_support.h"

namespace enginetest {
namespace {

TEST(Display, ClearsWithOnePresentsAndReleases) {
  DisplayRig rig;
  ASSERT_TRUE(rig.initResult());
  Display& display = rig.display();
  // Primary and back buffer start cleared with the raw value 1, not 0.
  EXPECT_EQ(CountChanged(display.primary), 0);
  EXPECT_EQ(CountChanged(display.GetBackBuffer()), 0);
  Sprite canvas;
  ASSERT_TRUE(canvas.Create(rig.directDraw(), 320, 240));
  FillSprite(canvas, [](int, int) { return std::uint16_t{0}; });
  EXPECT_TRUE(display.Clear(canvas.GetSurface()));
  canvas.PutPixel(7, 5, 0x00FF00);
  canvas.Draw(display.GetBackBuffer(), 0, 0);
  display.Present();
  display.Present();
  EXPECT_EQ(rig.backend().presentCount(), 2u);
  EXPECT_EQ(rig.backend().FramePixel(7, 5), 0x07E0);
  EXPECT_EQ(rig.backend().FramePixel(8, 5), kClearValue);
  display.Release();
  EXPECT_EQ(display.device, nullptr);
  EXPECT_EQ(display.primary, nullptr);
  display.Release();
}

TEST(Display, RefusedModeCreatesNoSurfaceAndFramesDoNothing) {
  DisplayRig rig(platform::HeadlessOptions{.displayModeFails = true});
  Display& display = rig.display();
  EXPECT_FALSE(rig.initResult());
  EXPECT_NE(display.device, nullptr);  // left for the destructor
  EXPECT_EQ(display.primary, nullptr);
  EXPECT_TRUE(display.Clear(display.GetBackBuffer()));
  display.Present();
  EXPECT_EQ(rig.backend().presentCount(), 0u);
}

}  // namespace
}  // namespace enginetest
