// Builds every picture of the game: the text sources given on the command
// line, then the pictures drawn in code, each checked and written as a BMP.
//
//   chompo_pictures --out DIR [--expect NAME,NAME,...] SOURCE...
//
// With --expect the set of pictures made must be exactly the names given,
// so the build's list of outputs cannot drift from what the sources hold.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "drawn.h"
#include "picture.h"
#include "text_source.h"

namespace {

using pictures::NamedPicture;

bool WriteWhole(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  // Written beside and renamed, so a failed run never leaves half a picture.
  const std::filesystem::path temporary = path.string() + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

std::set<std::string> SplitNames(const std::string& list) {
  std::set<std::string> names;
  std::istringstream in(list);
  for (std::string name; std::getline(in, name, ',');) {
    if (!name.empty()) names.insert(name);
  }
  return names;
}

int Usage() {
  std::fprintf(stderr, "usage: chompo_pictures --out DIR [--expect NAME,NAME,...] SOURCE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path outDir;
  std::set<std::string> expected;
  bool checkExpected = false;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (arg == "--expect" && i + 1 < argc) {
      expected = SplitNames(argv[++i]);
      checkExpected = true;
    } else if (arg.starts_with("--")) {
      return Usage();
    } else {
      sources.push_back(arg);
    }
  }
  if (outDir.empty() || sources.empty()) return Usage();

  pictures::TextSources text;
  for (const auto& source : sources) text.ReadFile(source);
  if (!text.errors().empty()) {
    for (const auto& error : text.errors()) std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  std::vector<NamedPicture> all = text.pictures();
  std::string missing;
  for (auto& drawn :
       {pictures::DrawLargeCharacter(), pictures::DrawMoons(), pictures::DrawTitle(text, missing)}) {
    all.insert(all.end(), drawn.begin(), drawn.end());
  }
  if (!missing.empty()) {
    std::fprintf(stderr, "the title needs %s, which no source draws\n", missing.c_str());
    return 1;
  }

  bool ok = true;
  std::set<std::string> made;
  for (const auto& [name, picture] : all) {
    if (!made.insert(name).second) {
      std::fprintf(stderr, "%s: made twice\n", name.c_str());
      ok = false;
    }
    const std::string clash = pictures::FindKeyClash(picture);
    if (!clash.empty()) {
      std::fprintf(stderr, "%s: pixel %s, which turns into the transparent key\n", name.c_str(),
                   clash.c_str());
      ok = false;
    }
  }
  if (checkExpected) {
    for (const auto& name : expected) {
      if (!made.contains(name)) {
        std::fprintf(stderr, "%s: expected but no source makes it\n", name.c_str());
        ok = false;
      }
    }
    for (const auto& name : made) {
      if (!expected.contains(name)) {
        std::fprintf(stderr, "%s: made but not in the expected list\n", name.c_str());
        ok = false;
      }
    }
  }
  if (!ok) return 1;

  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  for (const auto& [name, picture] : all) {
    if (!WriteWhole(outDir / name, pictures::EncodeBmp(picture))) {
      std::fprintf(stderr, "%s: cannot write into %s\n", name.c_str(), outDir.string().c_str());
      return 1;
    }
  }
  return 0;
}
