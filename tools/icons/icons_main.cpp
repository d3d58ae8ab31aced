// Draws the menu icons from our own pictures, one square PNG per size:
//
//   chompo_icons --out DIR --name ID --sizes N,N,... SOURCE...
//
// writes DIR/<N>x<N>/apps/<ID>.png, the layout of an icon theme. Each size
// shows the picture drawn for it, IconN.bmp, when a source has one, and
// otherwise Icon.bmp enlarged by the largest whole number that fits. Whole
// numbers keep every source pixel a sharp square; the picture is centred and
// the rest of the square is clear.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "picture.h"
#include "text_source.h"
#include "tool_io.h"

namespace {

using pictures::Picture;

// 8-bit RGBA, top row first.
tool::Bytes Enlarge(const Picture& art, int size, int scale) {
  tool::Bytes rgba(static_cast<std::size_t>(size) * size * 4, 0);
  const int left = (size - art.width() * scale) / 2;
  const int top = (size - art.height() * scale) / 2;
  for (int y = 0; y < art.height() * scale; ++y) {
    for (int x = 0; x < art.width() * scale; ++x) {
      const auto color = art.At(x / scale, y / scale);
      if (!color) continue;
      std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(top + y) * size + (left + x)) * 4];
      pixel[0] = color->r;
      pixel[1] = color->g;
      pixel[2] = color->b;
      pixel[3] = 255;
    }
  }
  return rgba;
}

bool EncodePng(const tool::Bytes& rgba, int size, tool::Bytes& png, std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(size);
  image.height = static_cast<png_uint_32>(size);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t length = 0;
  if (png_image_write_to_memory(&image, nullptr, &length, 0, rgba.data(), 0, nullptr)) {
    png.resize(length);
    if (png_image_write_to_memory(&image, png.data(), &length, 0, rgba.data(), 0, nullptr)) {
      png.resize(length);
      return true;
    }
  }
  error = image.message;
  png_image_free(&image);
  return false;
}

std::vector<int> ParseSizes(const std::string& list) {
  std::vector<int> sizes;
  std::istringstream in(list);
  for (std::string item; std::getline(in, item, ',');) {
    const int size = std::atoi(item.c_str());
    if (size < 1 || size > 1024 || std::to_string(size) != item) return {};
    sizes.push_back(size);
  }
  return sizes;
}

int Usage() {
  std::fprintf(stderr, "usage: chompo_icons --out DIR --name ID --sizes N,N,... SOURCE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path outDir;
  std::string name;
  std::vector<int> sizes;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (arg == "--name" && i + 1 < argc) {
      name = argv[++i];
    } else if (arg == "--sizes" && i + 1 < argc) {
      sizes = ParseSizes(argv[++i]);
      if (sizes.empty()) return Usage();
    } else if (arg.starts_with("--")) {
      return Usage();
    } else {
      sources.push_back(arg);
    }
  }
  if (outDir.empty() || name.empty() || sizes.empty() || sources.empty()) return Usage();

  pictures::TextSources text;
  for (const auto& source : sources) text.ReadFile(source);
  if (!text.errors().empty()) {
    for (const auto& error : text.errors()) std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  for (const int size : sizes) {
    const std::string own = "Icon" + std::to_string(size) + ".bmp";
    const Picture* art = text.Find(own);
    const std::string artName = art ? own : "Icon.bmp";
    if (!art) art = text.Find(artName);
    if (!art) {
      std::fprintf(stderr, "no source draws Icon.bmp or %s\n", own.c_str());
      return 1;
    }
    const int scale = std::min(size / art->width(), size / art->height());
    if (scale < 1) {
      std::fprintf(stderr, "%s is %dx%d, larger than the %d px icon\n", artName.c_str(), art->width(),
                   art->height(), size);
      return 1;
    }
    tool::Bytes png;
    std::string error;
    const std::string side = std::to_string(size);
    const std::filesystem::path folder = outDir / (side + "x" + side) / "apps";
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(folder, ignored);
    const std::string path = (folder / (name + ".png")).string();
    if (!EncodePng(Enlarge(*art, size, scale), size, png, error) ||
        !tool::WriteFileAtomically(path, png, error)) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
  }
  return 0;
}
