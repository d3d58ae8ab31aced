// What every screen shares: the frame protocol on the canvas, the key test
// and the two text colours that all screens use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/globals.h"
#include "platform/win32.h"

namespace screens {

inline constexpr COLORREF kWhite = 0xFFFFFF;
inline constexpr COLORREF kBlue = 0xFF0000;

inline void ClearCanvas() { display.Clear(canvas.GetSurface()); }

inline void PresentCanvas() {
  canvas.Draw(display.GetBackBuffer(), 0, 0);
  display.Present();
}

inline bool KeyHeld(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

inline void DrawText(std::int32_t x, std::int32_t y, const char* text) {
  fontSet.DrawLatinText(canvas, x, y, text);
}

// A picture picked by an actor's frame: a frame outside the table draws
// nothing instead of reading past it.
void DrawPicture(Sprite* table, std::size_t count, std::int32_t index, std::int32_t x, std::int32_t y);
// The same, mirrored left to right (the only mirroring the screens use).
void DrawPictureMirrored(Sprite* table, std::size_t count, std::int32_t index, std::int32_t x,
                         std::int32_t y);

template <std::size_t N>
void DrawFrom(Sprite (&table)[N], std::int32_t index, std::int32_t x, std::int32_t y) {
  DrawPicture(table, N, index, x, y);
}

template <std::size_t N>
void DrawMirroredFrom(Sprite (&table)[N], std::int32_t index, std::int32_t x, std::int32_t y) {
  DrawPictureMirrored(table, N, index, x, y);
}

}  // namespace screens
