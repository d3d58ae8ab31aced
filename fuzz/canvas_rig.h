// A headless display with a 320 x 240 canvas, made once per target and
// installed for each run.
#pragma once

#include "display/display.h"
#include "platform/headless/headless_backend.h"
#include "sprite/sprite.h"
#include "support/backend_scope.h"

namespace fuzzsupport {

struct CanvasRig {
  explicit CanvasRig(platform::HeadlessOptions options = {}) : backend(options) {
    const support::BackendScope scope(backend);
    display.InitFullScreen(nullptr, 320, 240, 16);
    canvas.Create(display.GetDirectDraw(), 320, 240);
  }
  platform::HeadlessBackend backend;
  Display display;
  Sprite canvas;
};

}  // namespace fuzzsupport
