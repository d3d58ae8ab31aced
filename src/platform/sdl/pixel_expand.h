// The game's 16-bit pixels widened to 32-bit 0xAARRGGBB, at 1:1 for a
// texture or at a whole-number scale straight into a window's pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend.h"
#include "platform/sdl/letterbox.h"

namespace platform {

// Each channel keeps its top bits and repeats them below, so full
// intensity stays full (31 -> 255, 63 -> 255) and zero stays zero.
void ExpandRow565(const std::uint16_t* source, std::uint32_t* destination, int width);
// Bit 15 is not part of the colour.
void ExpandRow555(const std::uint16_t* source, std::uint32_t* destination, int width);

// The pixel at half its brightness (each channel halved), as a paused
// picture is shown.
constexpr std::uint16_t DimPixel(std::uint16_t pixel, bool is565) {
  return static_cast<std::uint16_t>((pixel >> 1) & (is565 ? 0x7BEFu : 0x3DEFu));
}

// 32-bit pixels the picture is drawn into, rows pitchBytes apart.
struct TargetPixels {
  std::uint32_t* pixels;
  int width;
  int height;
  int pitchBytes;
};

// Draws the picture at box (its scale, position and size), each pixel as a
// scale x scale square; whatever falls outside the target is cut off and
// nothing outside the box is touched. scratch is reused between calls.
void DrawScaled(const FrameView& picture, const Letterbox& box, const TargetPixels& target,
                std::vector<std::uint32_t>& scratch);
// The same for picture rows firstRow up to (not including) endRow only.
void DrawScaledRows(const FrameView& picture, const Letterbox& box, const TargetPixels& target, int firstRow,
                    int endRow, std::vector<std::uint32_t>& scratch);

}  // namespace platform
