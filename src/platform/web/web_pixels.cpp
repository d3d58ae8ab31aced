#include "platform/web/web_pixels.h"

#include <cstring>

#include "formats/pixel_format.h"

namespace platform {

void RgbaPixels::ExpandRow(const std::uint16_t* source, std::uint8_t* destination, int width, bool is565) {
  const formats::PixelFormat& format = is565 ? formats::kRgb565 : formats::kRgb555;
  if (tableFormat_ != format.number) {
    for (std::uint32_t pixel = 0; pixel < 65536; ++pixel) {
      const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(formats::Red8(format, pixel)),
                                     static_cast<std::uint8_t>(formats::Green8(format, pixel)),
                                     static_cast<std::uint8_t>(formats::Blue8(pixel)), 0xFF};
      std::memcpy(&table_[pixel], bytes, sizeof bytes);
    }
    tableFormat_ = format.number;
  }
  for (int x = 0; x < width; ++x) std::memcpy(destination + 4 * x, &table_[source[x]], 4);
}

}  // namespace platform
