#include "platform/sdl/letterbox.h"

#include <algorithm>

namespace platform {

Letterbox FitWholeScale(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
  int scale = 1;
  if (pictureWidth > 0 && pictureHeight > 0) {
    scale = std::max(1, std::min(outputWidth / pictureWidth, outputHeight / pictureHeight));
  }
  Letterbox box{};
  box.scale = scale;
  box.width = pictureWidth * scale;
  box.height = pictureHeight * scale;
  box.x = (outputWidth - box.width) / 2;
  box.y = (outputHeight - box.height) / 2;
  return box;
}

int BorderRects(const Letterbox& box, int outputWidth, int outputHeight, BorderRect rects[4]) {
  int count = 0;
  const auto add = [&](int x, int y, int width, int height) {
    if (width > 0 && height > 0) rects[count++] = BorderRect{x, y, width, height};
  };
  const int top = std::clamp(box.y, 0, outputHeight);
  const int bottom = std::clamp(box.y + box.height, top, outputHeight);
  const int left = std::clamp(box.x, 0, outputWidth);
  const int right = std::clamp(box.x + box.width, left, outputWidth);
  add(0, 0, outputWidth, top);
  add(0, bottom, outputWidth, outputHeight - bottom);
  add(0, top, left, bottom - top);
  add(right, top, outputWidth - right, bottom - top);
  return count;
}

int WindowedScale(int usableWidth, int usableHeight, int pictureWidth, int pictureHeight,
                  int preferredScale) {
  const int largest = FitWholeScale(usableWidth, usableHeight, pictureWidth, pictureHeight).scale;
  return preferredScale > 0 ? std::min(preferredScale, largest) : largest;
}

}  // namespace platform
