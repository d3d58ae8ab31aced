// Where the 320 x 240 picture lands in outputs of various sizes, and the
// black borders around it.
#include "platform/sdl/letterbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

TEST(SdlLetterbox, LargestWholeScaleCentredAndBordersCoverTheRestOnce) {
  const struct {
    int width, height, scale, x, y, borders;
  } cases[] = {
      {960, 720, 3, 0, 0, 0},      {1280, 1024, 4, 0, 32, 2},    // bands above and below
      {1920, 1080, 4, 320, 60, 4}, {2560, 1440, 6, 320, 0, 2},   // bands on the sides too
      {700, 2000, 2, 30, 760, 4},  {1279, 960, 3, 159, 120, 4},  // one short of the next scale
      {1001, 801, 3, 20, 40, 4},   {300, 200, 1, -10, -20, 0},   // too small: cropped evenly
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Letterbox box = FitWholeScale(c.width, c.height, 320, 240);
    EXPECT_EQ(box.scale, c.scale);
    EXPECT_EQ(box.x, c.x);
    EXPECT_EQ(box.y, c.y);
    EXPECT_EQ(box.width, 320 * c.scale);
    EXPECT_EQ(box.height, 240 * c.scale);

    BorderRect rects[4];
    const int count = BorderRects(box, c.width, c.height, rects);
    EXPECT_EQ(count, c.borders);
    std::vector<int> covered(static_cast<std::size_t>(c.width * c.height), 0);
    const auto cover = [&](int x, int y, int w, int h) {
      for (int row = std::max(y, 0); row < std::min(y + h, c.height); ++row) {
        for (int column = std::max(x, 0); column < std::min(x + w, c.width); ++column) {
          ++covered[static_cast<std::size_t>(row * c.width + column)];
        }
      }
    };
    for (int i = 0; i < count; ++i) {
      EXPECT_TRUE(rects[i].width > 0 && rects[i].height > 0 && rects[i].x >= 0 && rects[i].y >= 0 &&
                  rects[i].x + rects[i].width <= c.width && rects[i].y + rects[i].height <= c.height);
      cover(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    }
    cover(box.x, box.y, box.width, box.height);
    EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), c.width * c.height);
  }
}

TEST(SdlLetterbox, WindowIsThreeTimesThePictureWhenTheDesktopHasRoom) {
  EXPECT_EQ(WindowedScale(1920, 1050, 320, 240), 3);
  EXPECT_EQ(WindowedScale(3840, 2100, 320, 240), 3);
  EXPECT_EQ(WindowedScale(959, 720, 320, 240), 2);
  EXPECT_EQ(WindowedScale(300, 200, 320, 240), 1);
  // The player's --scale: kept where it fits, 0 for the largest that does.
  EXPECT_EQ(WindowedScale(3840, 2100, 320, 240, 5), 5);
  EXPECT_EQ(WindowedScale(1920, 1050, 320, 240, 5), 4);
  EXPECT_EQ(WindowedScale(3840, 2100, 320, 240, 0), 8);
}

}  // namespace
}  // namespace platform
