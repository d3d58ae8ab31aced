// The font source: one 8 by 16 grid of text per glyph.
//
//   ; comment
//   glyph 0x41 A          code in hex (0x41) or decimal, then any label
//   ........              16 rows of 8 cells, top row first:
//   ..###...              '#' is a set pixel, '.' a clear one
//   ...
//
// Codes without a grid stay blank. Every printable ASCII character (0x21 to
// 0x7E) must have a grid with at least one set pixel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tool_io.h"

namespace font {

inline constexpr int kGlyphs = 256;
inline constexpr int kGlyphRows = 16;
inline constexpr int kGlyphColumns = 8;

using Glyph = std::array<std::uint8_t, kGlyphRows>;  // bit 7 is the leftmost pixel

struct FontImage {
  std::array<Glyph, kGlyphs> glyphs{};
  std::array<bool, kGlyphs> drawn{};
};

struct SourceError {
  int line = 0;
  std::string message;
};

bool ParseGlyphs(const std::vector<std::string>& lines, FontImage& font, std::vector<SourceError>& errors);

// The file the game loads: glyph c at byte 16 * c.
tool::Bytes EncodeFont(const FontImage& font);

// Text drawn white on black with the glyphs, each pixel a scale by scale
// square, as a binary PPM picture for looking at the font.
tool::Bytes RenderPreview(const FontImage& font, const std::vector<std::string>& text, int scale);

}  // namespace font
