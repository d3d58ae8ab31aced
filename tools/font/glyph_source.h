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

#include "formats/font_file.h"
#include "tool_io.h"

namespace font {

using formats::kFontGlyphs;
using formats::kGlyphHeight;
using formats::kGlyphWidth;

using Glyph = std::array<std::uint8_t, kGlyphHeight>;  // bit 7 is the leftmost pixel

struct FontImage {
  std::array<Glyph, kFontGlyphs> glyphs{};
  std::array<bool, kFontGlyphs> drawn{};
};

struct SourceError {
  int line = 0;
  std::string message;
};

bool ParseGlyphs(const std::vector<std::string>& lines, FontImage& font, std::vector<SourceError>& errors);

// The file the game loads.
tool::Bytes EncodeFont(const FontImage& font);

// Text drawn white on black with the glyphs, each pixel a scale by scale
// square, as a binary PPM picture for looking at the font.
tool::Bytes RenderPreview(const FontImage& font, const std::vector<std::string>& text, int scale);

}  // namespace font
