#include "text/font_set.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/win32.h"
#include "sprite/sprite.h"

bool FontSet::LoadLatinFont(const char* fileName) {
  if (fileName == nullptr) {
    return false;
  }
  const HFILE file = _lopen(fileName, OF_READ);
  if (file == HFILE_ERROR) {
    return false;
  }
  // A short file fills only the glyphs it has; the rest stay as they were.
  static_cast<void>(_lread(file, latinGlyphs, sizeof(latinGlyphs)));
  _lclose(file);
  latinLoaded = 1;
  latinWidth = formats::kGlyphWidth;
  latinHeight = formats::kGlyphHeight;
  return true;
}

void FontSet::PrepareLatinGlyph(std::uint8_t c) {
  std::memset(latinGlyph, 0, sizeof(latinGlyph));
  std::memcpy(latinGlyph, latinGlyphs + sizeof(latinGlyph) * c, sizeof(latinGlyph));
}

bool FontSet::DrawLatinText(Sprite& target, std::int32_t x, std::int32_t y, const char* text) {
  if (latinLoaded == 0) {
    return false;
  }
  if (text == nullptr) {
    return true;
  }
  // Every byte is a glyph of its own, blanks and control bytes included.
  // Column c is bit 7 - c. Only the set bits are visited, left to right:
  // the same pixels in the same order as testing every column, and a
  // screen's worth of text no longer spends most of its time on the blanks.
  target.PutPixels(latinColor, [&](auto put) {
    for (std::size_t n = std::strlen(text), i = 0; n > 0; --n, ++i) {
      PrepareLatinGlyph(static_cast<std::uint8_t>(text[i]));
      const std::int32_t rows = std::min<std::int32_t>(latinHeight, formats::kGlyphHeight);
      const std::int32_t columns = std::min<std::int32_t>(latinWidth, formats::kGlyphWidth);
      const unsigned shown = (0xFF00u >> columns) & 0xFFu;
      for (std::int32_t row = 0; row < rows; ++row) {
        unsigned bits = latinGlyph[row] & shown;
        while (bits != 0) {
          const std::int32_t column = std::countl_zero(static_cast<std::uint8_t>(bits));
          put(x + column, y + row);
          bits &= ~(0x80u >> column);
        }
      }
      x += latinWidth;
    }
  });
  return true;
}
