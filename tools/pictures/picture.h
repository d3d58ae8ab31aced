// A picture being made: a grid of colours, some of them clear, written out as
// the 24-bit BMP the game reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/bmp_file.h"

namespace pictures {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Clear pixels are stored in the file as this colour; the game skips every
// pixel that converts to the same 16-bit value.
inline constexpr Rgb kClearColor{formats::kKeyRed, formats::kKeyGreen, formats::kKeyBlue};

// True when the colour would turn into the transparent key in either 16-bit
// format the game may run in (565 or 555), so it would vanish on screen.
bool ConvertsToKey(Rgb color);

class Picture {
 public:
  Picture() = default;
  Picture(int width, int height);  // all clear

  int width() const { return width_; }
  int height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Outside the picture: reads are clear and writes are dropped, so drawing
  // code may run over the edges.
  std::optional<Rgb> At(int x, int y) const;
  void Set(int x, int y, Rgb color);

  // Copies the visible pixels of another picture with its top-left at (x, y).
  void Stamp(const Picture& other, int x, int y);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::optional<Rgb>> pixels_;
};

// The first visible pixel whose colour converts to the key, if any, as text
// "(x, y) is r g b"; empty when the picture is safe to write.
std::string FindKeyClash(const Picture& picture);

// 54-byte header, bottom row first, rows padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const Picture& picture);

}  // namespace pictures
