// The Latin font file: 256 glyphs of 8 by 16 pixels and nothing else. Glyph
// c is the 16 bytes at 16 * c, its rows top first; bit 7 of a row is its
// leftmost pixel.
#pragma once

#include <cstddef>

namespace formats {

inline constexpr int kFontGlyphs = 256;
inline constexpr int kGlyphWidth = 8;
inline constexpr int kGlyphHeight = 16;                                    // also the bytes of a glyph
inline constexpr std::size_t kFontFileBytes = kFontGlyphs * kGlyphHeight;  // 4096

}  // namespace formats
