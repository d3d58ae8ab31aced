// The pictures the whole-game runs capture are read back with every check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/frame_schedule.h"
#include "sim/png_writer.h"
#include "support/sim_png.h"

namespace {

TEST(SimPng, PicturesReadBackExactlyAndCompressedAndMisfitPixelsAreRefused) {
  // An odd size and scattered byte values: nothing may be lost or changed.
  std::vector<std::uint8_t> rgb(5 * 3 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 37);
  testsupport::RgbImage image;
  EXPECT_EQ(testsupport::DecodePng(sim::EncodePng(5, 3, rgb), image), "");
  EXPECT_EQ(image.width * 1000 + image.height, 5003);
  EXPECT_EQ(image.rgb, rgb);
  // A screen of one colour, as between scenes, shrinks to next to nothing.
  EXPECT_LT(sim::EncodePng(320, 240, std::vector<std::uint8_t>(320 * 240 * 3, 9)).size(), 2000u);
  EXPECT_TRUE(sim::EncodePng(2, 2, std::vector<std::uint8_t>(11)).empty());
  EXPECT_TRUE(sim::EncodePng(0, 2, {}).empty());
}

TEST(SimPng, SixteenBitPixelsWidenToFullRange) {
  const std::uint16_t rgb565[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000, 0x8410};
  EXPECT_EQ(
      sim::PixelsToRgb(rgb565, 6, 1, true),
      (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 132, 130, 132}));
  const std::uint16_t rgb555[] = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
  EXPECT_EQ(sim::PixelsToRgb(rgb555, 2, 2, false),
            (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(SimFrameSchedule, HandsOutListedAndRegularTimesInOrderOnceUpToTheEndOfTheClock) {
  sim::FrameSchedule schedule({250, 100, 100, 40}, 100);
  std::vector<std::uint32_t> taken;
  std::uint32_t time = 0;
  for (std::uint64_t now : {39u, 40u, 99u, 100u, 260u, 300u}) {
    while (schedule.TakeDue(now, time)) {
      taken.push_back(time);
    }
  }
  EXPECT_EQ(taken, (std::vector<std::uint32_t>{40, 100, 200, 250, 300}));
  EXPECT_FALSE(schedule.Empty());

  sim::FrameSchedule late({5}, 0x80000000u);
  taken.clear();
  while (late.TakeDue(UINT64_MAX, time)) {
    taken.push_back(time);
  }
  EXPECT_EQ(taken, (std::vector<std::uint32_t>{5, 0x80000000u}));
  EXPECT_TRUE(late.Empty());
  EXPECT_EQ(sim::FrameFileName(12345), "frame-00012345.png");
  EXPECT_EQ(sim::FrameFileName(4294967295u), "frame-4294967295.png");
}

}  // namespace
