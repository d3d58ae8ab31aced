#include "screens/screen_frame.h"

namespace screens {

namespace {

bool InTable(std::size_t count, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

void DrawPicture(Sprite* table, std::size_t count, std::int32_t index, std::int32_t x, std::int32_t y) {
  if (InTable(count, index)) {
    table[index].Draw(canvas.GetSurface(), x, y);
  }
}

void DrawPictureMirrored(Sprite* table, std::size_t count, std::int32_t index, std::int32_t x,
                         std::int32_t y) {
  if (InTable(count, index)) {
    table[index].DrawMirrored(canvas.GetSurface(), x, y, MirrorLeftRight);
  }
}

}  // namespace screens
