#include "glyph_source.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace font {
namespace {

bool ParseCode(const std::string& text, int& code) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 0);
  if (end != text.c_str() + text.size() || value < 0 || value >= kFontGlyphs) return false;
  code = static_cast<int>(value);
  return true;
}

std::string Hex(int code) {
  static const char digits[] = "0123456789ABCDEF";
  return std::string("0x") + digits[code >> 4] + digits[code & 15];
}

}  // namespace

bool ParseGlyphs(const std::vector<std::string>& lines, FontImage& font, std::vector<SourceError>& errors) {
  font = FontImage{};
  const std::size_t errorsBefore = errors.size();
  std::size_t index = 0;
  while (index < lines.size()) {
    const std::string& header = lines[index];
    const int line = static_cast<int>(index) + 1;
    ++index;
    if (header.empty() || header[0] == ';') continue;
    std::stringstream words(header);
    std::string keyword;
    std::string codeText;
    words >> keyword >> codeText;
    int code = 0;
    if (keyword != "glyph" || !ParseCode(codeText, code)) {
      errors.push_back(SourceError{line, "expected 'glyph CODE', found '" + header + "'"});
      continue;
    }
    if (font.drawn[code]) errors.push_back(SourceError{line, "glyph " + Hex(code) + " drawn twice"});
    Glyph glyph{};
    bool complete = true;
    for (int row = 0; row < kGlyphHeight; ++row, ++index) {
      const int rowLine = static_cast<int>(index) + 1;
      if (index >= lines.size()) {
        errors.push_back(SourceError{
            rowLine, "glyph " + Hex(code) + " ends after " + std::to_string(row) + " rows, needs 16"});
        complete = false;
        break;
      }
      const std::string& cells = lines[index];
      if (cells.size() != kGlyphWidth || cells.find_first_not_of(".#") != std::string::npos) {
        errors.push_back(SourceError{rowLine, "glyph " + Hex(code) + " row " + std::to_string(row) +
                                                  " must be 8 cells of '.' and '#'"});
        complete = false;
        if (cells.rfind("glyph", 0) == 0) break;  // a short grid: let the next header be read
        continue;
      }
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (cells[column] == '#') glyph[row] = static_cast<std::uint8_t>(glyph[row] | (0x80u >> column));
      }
    }
    if (complete) {
      font.glyphs[code] = glyph;
      font.drawn[code] = true;
    }
  }
  for (int code = 0x21; code <= 0x7E; ++code) {
    const Glyph& glyph = font.glyphs[code];
    const bool blank = std::all_of(glyph.begin(), glyph.end(), [](std::uint8_t row) { return row == 0; });
    if (!font.drawn[code]) {
      errors.push_back(SourceError{
          0, "printable character " + Hex(code) + " '" + static_cast<char>(code) + "' has no glyph"});
    } else if (blank) {
      errors.push_back(
          SourceError{0, "printable character " + Hex(code) + " '" + static_cast<char>(code) + "' is blank"});
    }
  }
  return errors.size() == errorsBefore;
}

tool::Bytes EncodeFont(const FontImage& font) {
  tool::Bytes out;
  out.reserve(formats::kFontFileBytes);
  for (const Glyph& glyph : font.glyphs) out.insert(out.end(), glyph.begin(), glyph.end());
  return out;
}

tool::Bytes RenderPreview(const FontImage& font, const std::vector<std::string>& text, int scale) {
  std::size_t longest = 1;
  for (const std::string& line : text) longest = std::max(longest, line.size());
  const int width = static_cast<int>(longest) * kGlyphWidth * scale;
  const int height = static_cast<int>(std::max<std::size_t>(text.size(), 1)) * kGlyphHeight * scale;
  tool::Bytes out;
  tool::AppendText(out, "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n");
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(width) * height * 3, 0);
  for (std::size_t line = 0; line < text.size(); ++line) {
    for (std::size_t at = 0; at < text[line].size(); ++at) {
      const Glyph& glyph = font.glyphs[static_cast<std::uint8_t>(text[line][at])];
      for (int row = 0; row < kGlyphHeight; ++row) {
        for (int column = 0; column < kGlyphWidth; ++column) {
          if ((glyph[row] & (0x80u >> column)) == 0) continue;
          const int x0 = (static_cast<int>(at) * kGlyphWidth + column) * scale;
          const int y0 = (static_cast<int>(line) * kGlyphHeight + row) * scale;
          for (int y = y0; y < y0 + scale; ++y) {
            for (int x = x0; x < x0 + scale; ++x) {
              const std::size_t pixel = start + (static_cast<std::size_t>(y) * width + x) * 3;
              out[pixel] = out[pixel + 1] = out[pixel + 2] = 255;
            }
          }
        }
      }
    }
  }
  return out;
}

}  // namespace font
