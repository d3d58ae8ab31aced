// The one bitmap font: 256 glyphs of 8 by 16 pixels, drawn pixel by pixel
// into a Sprite in the current text colour.
#pragma once

#include <cstdint>

#include "formats/font_file.h"
#include "platform/win32.h"

class Sprite;

class FontSet {
 public:
  bool LoadLatinFont(const char* fileName);
  void PrepareLatinGlyph(std::uint8_t c);
  void SetTextColor(COLORREF color) { latinColor = color; }
  bool DrawLatinText(Sprite& target, std::int32_t x, std::int32_t y, const char* text);

  std::int32_t latinLoaded = 0;
  COLORREF latinColor = 0;
  std::uint16_t latinWidth = 0;
  std::uint16_t latinHeight = 0;
  std::uint8_t latinGlyphs[formats::kFontFileBytes] = {};
  std::uint8_t latinGlyph[formats::kGlyphHeight] = {};
};
