// The input as the Latin font file, loaded into a fresh font and then used
// to draw every byte value: sixteen lines of sixteen glyphs, one line cut
// by the top left corner and one by the bottom right.
#include <cstddef>
#include <cstdint>

#include "canvas_rig.h"
#include "fuzz_support.h"
#include "sprite/sprite.h"
#include "text/font_set.h"

namespace {

constexpr char kFileName[] = "e1.eng";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzsupport::InWorkFolder here;
  static fuzzsupport::CanvasRig rig;
  fuzzsupport::WriteInput(kFileName, data, size);
  const support::BackendScope scope(rig.backend);

  // Static: 4 KB of glyphs is more than a fuzzer's stack likes; reset per run.
  static FontSet font;
  font = FontSet{};
  font.LoadLatinFont(kFileName);
  font.SetTextColor(0xFFFFFF);
  // Byte 0 ends a text, so its glyph is only prepared.
  font.PrepareLatinGlyph(0);
  char line[17] = {};
  for (int first = 0; first < 256; first += 16) {
    for (int i = 0; i < 16; ++i) {
      line[i] = static_cast<char>(first + i == 0 ? 1 : first + i);
    }
    font.DrawLatinText(rig.canvas, 0, 14 * (first / 16), line);
  }
  font.DrawLatinText(rig.canvas, -4, -8, line);
  font.DrawLatinText(rig.canvas, 320 - 8 * 15, 232, line);
  return 0;
}
