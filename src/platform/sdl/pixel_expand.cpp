#include "platform/sdl/pixel_expand.h"

#include <algorithm>
#include <cstring>

#include "formats/pixel_format.h"

namespace platform {
namespace {

// The format is a constant at each call, so each row's loop is built for it.
inline void ExpandRow(const formats::PixelFormat& format, const std::uint16_t* source,
                      std::uint32_t* destination, int width) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t pixel = source[x];
    destination[x] = 0xFF000000u | (formats::Red8(format, pixel) << 16) |
                     (formats::Green8(format, pixel) << 8) | formats::Blue8(pixel);
  }
}

}  // namespace

void ExpandRow565(const std::uint16_t* source, std::uint32_t* destination, int width) {
  ExpandRow(formats::kRgb565, source, destination, width);
}

void ExpandRow555(const std::uint16_t* source, std::uint32_t* destination, int width) {
  ExpandRow(formats::kRgb555, source, destination, width);
}

void DrawScaled(const FrameView& picture, const Letterbox& box, const TargetPixels& target,
                std::vector<std::uint32_t>& scratch) {
  DrawScaledRows(picture, box, target, 0, picture.height, scratch);
}

void DrawScaledRows(const FrameView& picture, const Letterbox& box, const TargetPixels& target, int firstRow,
                    int endRow, std::vector<std::uint32_t>& scratch) {
  const int scale = box.scale;
  if (picture.pixels == nullptr || scale < 1 || picture.width <= 0 || picture.height <= 0) return;
  const int left = std::max(box.x, 0);
  const int right = std::min(box.x + picture.width * scale, target.width);
  const int top = std::max(box.y, 0);
  const int bottom = std::min(box.y + picture.height * scale, target.height);
  if (left >= right || top >= bottom) return;

  // One picture row widened, then stretched across the box's whole width.
  const auto pictureWidth = static_cast<std::size_t>(picture.width);
  scratch.resize(pictureWidth + pictureWidth * static_cast<std::size_t>(scale));
  std::uint32_t* widened = scratch.data();
  std::uint32_t* stretched = widened + pictureWidth;
  const auto* source = reinterpret_cast<const std::uint8_t*>(picture.pixels);
  auto* destination = reinterpret_cast<std::uint8_t*>(target.pixels);
  const auto visibleBytes = static_cast<std::size_t>(right - left) * sizeof(std::uint32_t);

  const int fromRow = std::max(firstRow, (top - box.y) / scale);
  const int toRow = std::min(endRow, (bottom - 1 - box.y) / scale + 1);
  for (int row = fromRow; row < toRow; ++row) {
    const auto* pictureRow = reinterpret_cast<const std::uint16_t*>(
        source + static_cast<std::ptrdiff_t>(row) * picture.pitchBytes);
    if (picture.is565) {
      ExpandRow565(pictureRow, widened, picture.width);
    } else {
      ExpandRow555(pictureRow, widened, picture.width);
    }
    std::uint32_t* out = stretched;
    for (int x = 0; x < picture.width; ++x) {
      out = std::fill_n(out, scale, widened[x]);
    }
    const int from = std::max(top, box.y + row * scale);
    const int to = std::min(bottom, box.y + (row + 1) * scale);
    for (int y = from; y < to; ++y) {
      std::memcpy(destination + static_cast<std::ptrdiff_t>(y) * target.pitchBytes +
                      static_cast<std::ptrdiff_t>(left) * 4,
                  stretched + (left - box.x), visibleBytes);
    }
  }
}

}  // namespace platform
