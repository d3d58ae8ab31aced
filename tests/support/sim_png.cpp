#include "support/sim_png.h"

#include <png.h>

namespace testsupport {

namespace {

std::string Refuse(png_image& png, const std::string& why) {
  png_image_free(&png);
  return why;
}

}  // namespace

std::string DecodePng(const std::vector<std::uint8_t>& bytes, RgbImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()) == 0) {
    return Refuse(png, png.message);
  }
  if (png.format != PNG_FORMAT_RGB) {
    return Refuse(png, "not an 8-bit RGB picture");
  }
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr) == 0) {
    return Refuse(png, png.message);
  }
  png_image_free(&png);
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.rgb = std::move(rgb);
  return "";
}

}  // namespace testsupport
