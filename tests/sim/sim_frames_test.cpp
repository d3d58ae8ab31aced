#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/frame_schedule.h"
#include "sim/png_writer.h"
#include "support/sim_png.h"

namespace {

std::vector<std::uint8_t> Bytes(const char* text) {
  return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

TEST(SimPng, ChecksumsMatchTheirPublishedValues) {
  const std::vector<std::uint8_t> digits = Bytes("123456789");
  EXPECT_EQ(sim::Crc32(digits.data(), digits.size()), 0xCBF43926u);
  // Continuing a CRC over a second piece equals one pass over the whole.
  EXPECT_EQ(sim::Crc32(digits.data() + 4, 5, sim::Crc32(digits.data(), 4)), 0xCBF43926u);
  const std::vector<std::uint8_t> word = Bytes("Wikipedia");
  EXPECT_EQ(sim::Adler32(word.data(), word.size()), 0x11E60398u);
  // Long enough to need the modulus many times over.
  const std::vector<std::uint8_t> ones(100000, 0xFF);
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : ones) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(sim::Adler32(ones.data(), ones.size()), (b << 16) | a);
}

TEST(SimPng, PicturesSurviveARoundTripAcrossSeveralBlocks) {
  for (const auto& [width, height] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{320, 240}}) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < rgb.size(); ++i) {
      rgb[i] = static_cast<std::uint8_t>((i * 7 + i / 3) & 0xFF);
    }
    const std::vector<std::uint8_t> png = sim::EncodePng(width, height, rgb);
    testsupport::RgbImage image;
    std::string error;
    ASSERT_TRUE(testsupport::DecodeStoredPng(png, image, error)) << width << "x" << height << ": " << error;
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    EXPECT_EQ(image.rgb, rgb);
  }
  EXPECT_TRUE(sim::EncodePng(2, 2, std::vector<std::uint8_t>(11)).empty());
  EXPECT_TRUE(sim::EncodePng(0, 2, {}).empty());
}

TEST(SimPng, SixteenBitPixelsWidenToFullRange) {
  const std::uint16_t rgb565[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000, 0x8410};
  EXPECT_EQ(sim::PixelsToRgb(rgb565, 6, 1, true), (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 0,
                                                                             0, 0, 255, 0, 0, 0, 132, 130, 132}));
  const std::uint16_t rgb555[] = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
  EXPECT_EQ(sim::PixelsToRgb(rgb555, 2, 2, false),
            (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(SimFrameSchedule, HandsOutListedAndRegularTimesInOrderOnce) {
  sim::FrameSchedule schedule({250, 100, 100, 40}, 100);
  std::vector<std::uint32_t> taken;
  std::uint32_t time = 0;
  EXPECT_FALSE(schedule.TakeDue(39, time));
  for (std::uint64_t now : {40u, 99u, 100u, 260u, 300u}) {
    while (schedule.TakeDue(now, time)) {
      taken.push_back(time);
    }
  }
  EXPECT_EQ(taken, (std::vector<std::uint32_t>{40, 100, 200, 250, 300}));
  EXPECT_FALSE(schedule.Empty());

  sim::FrameSchedule listed({5}, 0);
  EXPECT_TRUE(listed.TakeDue(1000, time));
  EXPECT_EQ(time, 5u);
  EXPECT_FALSE(listed.TakeDue(100000, time));
  EXPECT_TRUE(listed.Empty());
}

TEST(SimFrameSchedule, RegularTimesStopAtTheEndOfTheClock) {
  sim::FrameSchedule schedule({}, 0x80000000u);
  std::uint32_t time = 0;
  ASSERT_TRUE(schedule.TakeDue(UINT64_MAX, time));
  EXPECT_EQ(time, 0x80000000u);
  EXPECT_FALSE(schedule.TakeDue(UINT64_MAX, time));
  EXPECT_TRUE(schedule.Empty());
  EXPECT_EQ(sim::FrameFileName(12345), "frame-00012345.png");
  EXPECT_EQ(sim::FrameFileName(4294967295u), "frame-4294967295.png");
}

}  // namespace
