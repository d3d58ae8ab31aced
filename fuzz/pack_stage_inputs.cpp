// Pairs the two built stage files into fuzz_stage inputs, one per stage:
//   pack_stage_inputs MAP SCRIPT OUTDIR [--compact]
// Plain, each input holds both whole files and starts its own stage. With
// --compact each holds only its stage's two records, renumbered as stage 1
// of one, which keeps fuzzing corpora small.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "stage_input.h"

namespace {

// The records of the stage files: the stage number and two layers of 18 x 20
// cells; the script's is 65 bytes when its names are as the data tool writes them.
constexpr std::size_t kMapRecordBytes = 4 + 2 * 18 * 20 * 4;
constexpr std::size_t kScriptRecordBytes = 65;
constexpr std::int32_t kMostStages = 127;  // the input's stage byte is signed

bool ReadWhole(const char* path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return static_cast<bool>(in) || in.eof();
}

std::string LittleEndian(std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(value >> shift));
  return bytes;
}

// The file cut to one record (renumbered 1 when it carries a number), as a
// file that holds one stage.
std::string OneRecord(const std::string& file, std::int32_t stage, std::size_t recordBytes, bool numbered) {
  const std::size_t start = 4 + static_cast<std::size_t>(stage - 1) * recordBytes;
  std::string record = start < file.size() ? file.substr(start, recordBytes) : std::string();
  if (numbered && record.size() >= 4) record.replace(0, 4, LittleEndian(1));
  return LittleEndian(1) + record;
}

}  // namespace

int main(int argc, char** argv) {
  const bool compact = argc == 5 && std::string(argv[4]) == "--compact";
  if (argc != 4 && !compact) {
    std::fprintf(stderr, "usage: %s MAP SCRIPT OUTDIR [--compact]\n", argv[0]);
    return 2;
  }
  std::string map;
  std::string script;
  if (!ReadWhole(argv[1], map) || !ReadWhole(argv[2], script) || map.size() < 4) {
    std::fprintf(stderr, "%s: cannot read the stage files\n", argv[0]);
    return 1;
  }
  const auto count =
      static_cast<std::int32_t>(static_cast<std::uint8_t>(map[0]) | static_cast<std::uint8_t>(map[1]) << 8 |
                                static_cast<std::uint8_t>(map[2]) << 16 |
                                static_cast<std::uint32_t>(static_cast<std::uint8_t>(map[3])) << 24);
  std::filesystem::create_directories(argv[3]);
  int written = 0;
  for (std::int32_t stage = 1; stage <= count && stage <= kMostStages; ++stage) {
    const std::string input = compact
                                  ? stageinput::Join(1, OneRecord(script, stage, kScriptRecordBytes, false),
                                                     OneRecord(map, stage, kMapRecordBytes, true))
                                  : stageinput::Join(static_cast<std::int8_t>(stage), script, map);
    char name[32];
    std::snprintf(name, sizeof name, "stage_%03d.bin", stage);
    std::ofstream out(std::filesystem::path(argv[3]) / name, std::ios::binary);
    out.write(input.data(), static_cast<std::streamsize>(input.size()));
    if (!out) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], name);
      return 1;
    }
    ++written;
  }
  if (written == 0) {
    std::fprintf(stderr, "%s: the map file holds no stage\n", argv[0]);
    return 1;
  }
  return 0;
}
