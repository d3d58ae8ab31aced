// Where the picture goes in the window: the largest whole-number scale that
// fits, centred, the rest black.
#pragma once

namespace platform {

struct Letterbox {
  int scale;
  int x;
  int y;
  int width;
  int height;
};

struct BorderRect {
  int x;
  int y;
  int width;
  int height;
};

// Never below scale 1: a window smaller than the picture crops it evenly.
Letterbox FitWholeScale(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// The parts of the output the picture leaves uncovered (at most four, none
// empty); filling them black instead of clearing the whole output spares a
// software renderer a full-screen fill every frame. Returns how many.
int BorderRects(const Letterbox& box, int outputWidth, int outputHeight, BorderRect rects[4]);

// The scale of the window (also the one Alt+Enter leaves full screen for):
// the preferred one when it fits the usable desktop, else the largest that
// does; a preferred 0 asks for the largest.
int WindowedScale(int usableWidth, int usableHeight, int pictureWidth, int pictureHeight,
                  int preferredScale = 3);

}  // namespace platform
