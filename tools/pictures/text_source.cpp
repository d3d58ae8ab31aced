#include "text_source.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

namespace pictures {

namespace {

using Palette = std::map<char, std::optional<Rgb>>;

struct SourceLine {
  int number = 0;
  bool indented = false;
  std::vector<std::string> words;
};

struct PendingPicture {
  std::string name;
  int line = 0;
  int width = -1;
  int height = -1;
  bool hasPixels = false;
  std::vector<std::string> rows;
  std::vector<int> rowLines;
  std::string like;
  Palette colors;  // this picture's own changes to the file's palette
  bool mirrorLeftRight = false;
  bool mirrorTopBottom = false;
};

std::vector<std::string> SplitWords(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

bool ValidName(const std::string& name) {
  if (name.size() < 5 || name.substr(name.size() - 4) != ".bmp") return false;
  return name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

bool TextSources::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errors_.push_back(path + ": cannot be read");
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  Read(path, text.str());
  return true;
}

const Picture* TextSources::Find(const std::string& name) const {
  for (const auto& entry : pictures_) {
    if (entry.name == name) return &entry.picture;
  }
  return nullptr;
}

void TextSources::Read(const std::string& fileName, const std::string& text) {
  auto fail = [&](int line, const std::string& message) {
    errors_.push_back(fileName + ":" + std::to_string(line) + ": " + message);
  };

  // A colour given as "clear" or "R G B" starting at words[first].
  auto parseColor = [&](const SourceLine& line, std::size_t first, std::optional<Rgb>& color) -> bool {
    const auto& words = line.words;
    if (words.size() == first + 1 && words[first] == "clear") {
      color.reset();
      return true;
    }
    if (words.size() != first + 3) {
      fail(line.number, "a colour is \"clear\" or three numbers 0 to 255");
      return false;
    }
    int channel[3];
    for (int i = 0; i < 3; ++i) {
      auto value = ParseNumber(words[first + i]);
      if (!value || *value < 0 || *value > 255) {
        fail(line.number, "colour value \"" + words[first + i] + "\" is not a number 0 to 255");
        return false;
      }
      channel[i] = *value;
    }
    const Rgb rgb{static_cast<std::uint8_t>(channel[0]), static_cast<std::uint8_t>(channel[1]),
                  static_cast<std::uint8_t>(channel[2])};
    if (ConvertsToKey(rgb)) {
      fail(line.number, "colour " + words[first] + " " + words[first + 1] + " " + words[first + 2] +
                            " turns into the transparent key in 16 bits and would not show");
      return false;
    }
    color = rgb;
    return true;
  };

  auto parseSymbol = [&](const SourceLine& line, const std::string& word) -> std::optional<char> {
    if (word.size() != 1) {
      fail(line.number, "a palette symbol is one character, not \"" + word + "\"");
      return std::nullopt;
    }
    if (word[0] == '#') {
      fail(line.number, "'#' starts a comment and cannot be a palette symbol");
      return std::nullopt;
    }
    return word[0];
  };

  Palette palette;
  std::optional<PendingPicture> current;
  enum class Block { None, Palette, Pixels } block = Block::None;

  auto finish = [&]() {
    if (!current) return;
    PendingPicture& pending = *current;
    const std::size_t errorsBefore = errors_.size();
    std::vector<std::string> rows = pending.rows;
    if (!pending.like.empty() && pending.hasPixels) {
      fail(pending.line, pending.name + " has both \"like\" and \"pixels\"");
    } else if (!pending.like.empty()) {
      auto found = rowsByName_.find(pending.like);
      if (found == rowsByName_.end()) {
        fail(pending.line, pending.name + " is like " + pending.like + ", which is not drawn before it");
      } else {
        rows = found->second;
        if (pending.width < 0) {
          pending.height = static_cast<int>(rows.size());
          pending.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
        }
      }
    } else if (!pending.hasPixels) {
      fail(pending.line, pending.name + " has no pixels");
    }
    if (errors_.size() == errorsBefore && pending.width < 0) {
      fail(pending.line, pending.name + " has no size line");
    }
    if (errors_.size() == errorsBefore) {
      if (static_cast<int>(rows.size()) != pending.height) {
        fail(pending.line, pending.name + " has " + std::to_string(rows.size()) + " rows, its size says " +
                               std::to_string(pending.height));
      }
      for (std::size_t r = 0; r < rows.size(); ++r) {
        if (static_cast<int>(rows[r].size()) != pending.width) {
          const int where = r < pending.rowLines.size() ? pending.rowLines[r] : pending.line;
          fail(where, pending.name + " row " + std::to_string(r) + " is " + std::to_string(rows[r].size()) +
                          " wide, its size says " + std::to_string(pending.width));
        }
      }
    }
    if (Find(pending.name) != nullptr) fail(pending.line, pending.name + " is drawn twice");
    if (errors_.size() != errorsBefore) {
      current.reset();
      return;
    }

    if (pending.mirrorLeftRight) {
      for (auto& row : rows) row.assign(row.rbegin(), row.rend());
    }
    if (pending.mirrorTopBottom) rows.assign(rows.rbegin(), rows.rend());

    Palette colors = palette;
    for (const auto& [symbol, color] : pending.colors) colors[symbol] = color;
    Picture picture(pending.width, pending.height);
    for (int y = 0; y < pending.height; ++y) {
      for (int x = 0; x < pending.width; ++x) {
        const char symbol = rows[y][x];
        auto found = colors.find(symbol);
        if (found == colors.end()) {
          const int where =
              y < static_cast<int>(pending.rowLines.size()) ? pending.rowLines[y] : pending.line;
          fail(where, pending.name + " row " + std::to_string(y) + " column " + std::to_string(x) +
                          ": symbol '" + std::string(1, symbol) + "' is not in the palette");
          current.reset();
          return;
        }
        if (found->second) picture.Set(x, y, *found->second);
      }
    }
    rowsByName_[pending.name] = rows;
    pictures_.push_back({pending.name, std::move(picture)});
    current.reset();
  };

  std::istringstream in(text);
  int number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    SourceLine line{number, !raw.empty() && (raw[0] == ' ' || raw[0] == '\t'), SplitWords(raw)};
    if (line.words.empty() || line.words[0][0] == '#') continue;

    if (line.indented) {
      if (block == Block::Palette) {
        if (line.words.size() < 2) {
          fail(number, "a palette entry is a symbol and a colour");
          continue;
        }
        auto symbol = parseSymbol(line, line.words[0]);
        std::optional<Rgb> color;
        if (symbol && parseColor(line, 1, color)) palette[*symbol] = color;
      } else if (block == Block::Pixels) {
        if (line.words.size() != 1) {
          fail(number, "a pixel row has no spaces in it");
          continue;
        }
        current->rows.push_back(line.words[0]);
        current->rowLines.push_back(number);
      } else {
        fail(number, "indented line outside a palette or pixels block");
      }
      continue;
    }

    const std::string& keyword = line.words[0];
    const std::size_t count = line.words.size();
    block = Block::None;
    if (keyword == "palette") {
      finish();
      if (count != 1) fail(number, "\"palette\" stands alone on its line");
      block = Block::Palette;
    } else if (keyword == "picture") {
      finish();
      if (count != 2 || !ValidName(line.words[1])) {
        fail(number, "\"picture\" takes one file name ending in .bmp");
        current.reset();
        continue;
      }
      current = PendingPicture{};
      current->name = line.words[1];
      current->line = number;
    } else if (!current) {
      fail(number, "\"" + keyword + "\" outside a picture");
    } else if (keyword == "size") {
      auto width = count == 3 ? ParseNumber(line.words[1]) : std::nullopt;
      auto height = count == 3 ? ParseNumber(line.words[2]) : std::nullopt;
      if (!width || !height || *width < 1 || *height < 1 || *width > 1024 || *height > 1024) {
        fail(number, "\"size\" takes a width and a height, 1 to 1024");
      } else {
        current->width = *width;
        current->height = *height;
      }
    } else if (keyword == "pixels") {
      if (count != 1) fail(number, "\"pixels\" stands alone on its line");
      current->hasPixels = true;
      block = Block::Pixels;
    } else if (keyword == "like") {
      if (count != 2) {
        fail(number, "\"like\" takes the name of an earlier picture");
      } else {
        current->like = line.words[1];
      }
    } else if (keyword == "colour") {
      if (count < 3) {
        fail(number, "\"colour\" takes a symbol and a colour");
        continue;
      }
      auto symbol = parseSymbol(line, line.words[1]);
      std::optional<Rgb> color;
      if (symbol && parseColor(line, 2, color)) current->colors[*symbol] = color;
    } else if (keyword == "mirror") {
      if (count == 2 && line.words[1] == "left-right") {
        current->mirrorLeftRight = true;
      } else if (count == 2 && line.words[1] == "top-bottom") {
        current->mirrorTopBottom = true;
      } else {
        fail(number, "\"mirror\" takes left-right or top-bottom");
      }
    } else {
      fail(number, "unknown keyword \"" + keyword + "\"");
    }
  }
  finish();
}

}  // namespace pictures
