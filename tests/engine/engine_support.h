// Shared by the engine tests: files written byte by byte, a display on the
// headless back end and pictures filled pixel by pixel.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "display/display.h"
#include "sprite/sprite.h"
#include "support/files.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace enginetest {

using support::Bytes;
using support::InFolder;
using support::PutLe;
using support::ReadBytes;
using support::TempFolder;
using support::WriteBytes;
inline constexpr std::uint16_t kClearValue = 1;

// ImageMagick and SoX come with the test set-up; without them those cases skip.
inline bool RunTool(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}
// A load that leaves its file open shows up here as one descriptor more.
inline int OpenFileCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

struct Chunk {
  std::string id;
  Bytes body;
  std::int64_t claimedSize = -1;  // the body's own size unless set
};

// A RIFF file laid out chunk by chunk, odd bodies padded.
inline Bytes Riff(const std::vector<Chunk>& chunks, const std::string& form = "WAVE") {
  Bytes inner(form.begin(), form.end());
  for (const Chunk& c : chunks) {
    inner.insert(inner.end(), c.id.begin(), c.id.end());
    PutLe(inner, static_cast<std::uint32_t>(c.claimedSize >= 0 ? c.claimedSize : c.body.size()), 4);
    inner.insert(inner.end(), c.body.begin(), c.body.end());
    if (c.body.size() % 2 == 1) inner.push_back(0);
  }
  Bytes out{'R', 'I', 'F', 'F'};
  PutLe(out, static_cast<std::uint32_t>(inner.size()), 4);
  out.insert(out.end(), inner.begin(), inner.end());
  return out;
}

// A "fmt " body: the 16 bytes every format has, then any more given.
inline Bytes Format(int tag, int channels, int rate, int bits, const Bytes& more = {}) {
  Bytes fmt;
  const int align = channels * bits / 8;
  for (const auto& [v, size] :
       {std::pair{tag, 2}, {channels, 2}, {rate, 4}, {rate * align, 4}, {align, 2}, {bits, 2}}) {
    PutLe(fmt, static_cast<std::uint32_t>(v), size);
  }
  fmt.insert(fmt.end(), more.begin(), more.end());
  return fmt;
}

struct Rgb {
  std::uint8_t r, g, b;
};
inline std::uint16_t ToPixel(Rgb c, bool use555) {
  return static_cast<std::uint16_t>(use555 ? (c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3
                                           : (c.r >> 3) << 11 | (c.g >> 2) << 5 | c.b >> 3);
}

// A 24-bit BMP, bottom row first, rows padded to 4 bytes; a longer info
// header holds bytes that are not pixels.
inline Bytes MakeBmp(int width, int height, const std::function<Rgb(int, int)>& pixel, int infoSize = 40) {
  const int stride = (3 * width + 3) & ~3;
  const auto offset = static_cast<std::uint32_t>(14 + infoSize);
  Bytes out;
  PutLe(out, 0x4D42, 2);
  PutLe(out, offset + static_cast<std::uint32_t>(stride * height), 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  for (const int field : {infoSize, width, height}) PutLe(out, static_cast<std::uint32_t>(field), 4);
  PutLe(out, 1 | 24 << 16, 4);  // one plane, 24 bits
  out.resize(54, 0);            // no compression; the rest unused
  out.resize(offset, 0xEE);
  for (int row = height - 1; row >= 0; --row) {
    for (int column = 0; column < width; ++column) {
      const Rgb c = pixel(column, row);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
    out.resize(out.size() + static_cast<std::size_t>(stride - 3 * width), 0);
  }
  return out;
}

// The headless back end with the display set up on it as start-up leaves
// it; the game's own display when given.
struct DisplayRig {
  explicit DisplayRig(platform::HeadlessOptions options = {}, Display* target = nullptr)
      : env(options), display(target != nullptr ? *target : own) {
    initResult = display.InitFullScreen(nullptr, 320, 240, 16);
  }
  ~DisplayRig() { display.Release(); }
  platform::HeadlessBackend& backend() { return env.backend(); }
  IDirectDraw* directDraw() { return display.GetDirectDraw(); }

  support::HeadlessEnv env;
  Display own;
  Display& display;
  bool initResult = false;
};

inline void FillSprite(Sprite& sprite, const std::function<std::uint16_t(int, int)>& value) {
  auto* base = static_cast<std::uint8_t*>(sprite.Lock());
  for (int y = 0; base != nullptr && y < sprite.GetHeight(); ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(base + std::ptrdiff_t{y} * sprite.surfaceDesc.lPitch);
    for (int x = 0; x < sprite.GetWidth(); ++x) row[x] = value(x, y);
  }
  sprite.Unlock();
}

// Pixels of the surface that are not the clear value.
inline int CountChanged(IDirectDrawSurface* surface) {
  int changed = 0;
  for (int y = 0; y < surface->Height(); ++y) {
    for (int x = 0; x < surface->Width(); ++x) changed += surface->PixelAt(x, y) != kClearValue;
  }
  return changed;
}

}  // namespace enginetest
