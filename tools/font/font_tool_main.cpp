// font_tool GLYPHS.txt OUTPUT [--preview TEXT.txt PICTURE.ppm [SCALE]]
//
// Checks the glyph grids and writes the 4096-byte font; optionally draws a
// text with it into a PPM picture to look at.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "glyph_source.h"
#include "tool_io.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: font_tool GLYPHS.txt OUTPUT [--preview TEXT.txt PICTURE.ppm [SCALE]]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 6 && argc != 7) return Usage();
  if (argc > 3 && std::string(argv[3]) != "--preview") return Usage();
  const std::string source = argv[1];
  std::vector<std::string> lines;
  if (!tool::ReadSourceLines("font_tool", source, lines)) return 1;
  font::FontImage image;
  std::vector<font::SourceError> errors;
  if (!font::ParseGlyphs(lines, image, errors)) {
    tool::ReportLineFaults("font_tool", source, errors);
    return 1;
  }
  std::string error;
  if (!tool::WriteFileAtomically(argv[2], font::EncodeFont(image), error)) {
    std::fprintf(stderr, "font_tool: %s\n", error.c_str());
    return 1;
  }
  if (argc > 3) {
    std::vector<std::string> text;
    const int scale = argc == 7 ? std::atoi(argv[6]) : 4;
    if (scale < 1 || scale > 16 || !tool::ReadTextLines(argv[4], text, error) ||
        !tool::WriteFileAtomically(argv[5], font::RenderPreview(image, text, scale), error)) {
      std::fprintf(stderr, "font_tool: preview: %s\n",
                   error.empty() ? "scale must be 1 to 16" : error.c_str());
      return 1;
    }
  }
  return 0;
}
