#include "sim/png_writer.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "formats/pixel_format.h"

namespace sim {

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return {};
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // Room for the worst case, so the picture is compressed only once.
  std::vector<std::uint8_t> png(PNG_IMAGE_PNG_SIZE_MAX(image));
  png_alloc_size_t size = png.size();
  const bool written = png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!written) {
    return {};
  }
  png.resize(size);
  return png;
}

std::vector<std::uint8_t> PixelsToRgb(const std::uint16_t* pixels, int width, int height, bool is565) {
  std::vector<std::uint8_t> rgb;
  if (width <= 0 || height <= 0) {
    return rgb;
  }
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  rgb.resize(count * 3);
  const formats::PixelFormat& format = is565 ? formats::kRgb565 : formats::kRgb555;
  std::uint8_t* out = rgb.data();
  for (std::size_t i = 0; i < count; ++i) {
    *out++ = static_cast<std::uint8_t>(formats::Red8(format, pixels[i]));
    *out++ = static_cast<std::uint8_t>(formats::Green8(format, pixels[i]));
    *out++ = static_cast<std::uint8_t>(formats::Blue8(pixels[i]));
  }
  return rgb;
}

bool WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& reason) {
  const std::string part = path + ".part";
  int fd;
  do {
    fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    ok = written > 0;
    if (!ok) {
      reason = written == 0 ? "nothing written" : std::strerror(errno);
    }
    done += ok ? static_cast<std::size_t>(written) : 0;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (ok && ::rename(part.c_str(), path.c_str()) != 0) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (!ok) {
    ::unlink(part.c_str());
  }
  return ok;
}

}  // namespace sim
