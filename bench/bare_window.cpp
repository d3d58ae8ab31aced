// The reference the window measurements compare the game with: a bare SDL
// program that opens a 960 x 720 window and shows one 320 x 240 picture
// scaled by SDL itself, then, if asked, shows it again every few
// milliseconds, as simply as SDL allows.
//
//   chompo-bare-window [--draw opengl|software|surface] [--seconds S] [--every MS]
//
// opengl and software are SDL's renderers of those names; surface blits
// into the window's own pixels (SDL_BlitScaled) with no renderer behind
// them (SDL_FRAMEBUFFER_ACCELERATION=0), as the game does where no graphics
// card would scale. Without
// --seconds it shows the picture once and waits to be closed.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kScale = 3;

// Stripes and a square, so no drawing path can take a shortcut.
void FillPicture(Uint32* pixels, int pitchPixels) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool square = x >= 100 && x < 140 && y >= 80 && y < 120;
      pixels[y * pitchPixels + x] = square ? 0xFFFFFFu : ((x / 8 + y / 8) % 2 == 0 ? 0x2040C0u : 0xC04020u);
    }
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: chompo-bare-window [--draw opengl|software|surface] [--seconds S] [--every MS]\n");
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  std::string draw = "opengl";
  double seconds = -1;
  int everyMs = 17;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    if (option == "--draw") {
      draw = argv[++i];
    } else if (option == "--seconds") {
      seconds = std::atof(argv[++i]);
    } else if (option == "--every") {
      everyMs = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  if ((draw != "opengl" && draw != "software" && draw != "surface") || everyMs <= 0) return Usage();

  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "chompo-bare-window: %s\n", SDL_GetError());
    return 69;
  }
  SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        kWidth * kScale, kHeight * kScale, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "chompo-bare-window: %s\n", SDL_GetError());
    return 69;
  }
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  SDL_Surface* picture = nullptr;
  if (draw == "surface") {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    picture = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
    if (picture == nullptr) return 69;
    FillPicture(static_cast<Uint32*>(picture->pixels), picture->pitch / 4);
  } else {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, draw.c_str());
    renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) {
      std::fprintf(stderr, "chompo-bare-window: no %s renderer: %s\n", draw.c_str(), SDL_GetError());
      return 69;
    }
    texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
    void* pixels = nullptr;
    int pitch = 0;
    if (texture == nullptr || SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return 69;
    FillPicture(static_cast<Uint32*>(pixels), pitch / 4);
    SDL_UnlockTexture(texture);
  }

  const auto show = [&] {
    if (renderer != nullptr) {
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
    } else {
      SDL_Surface* surface = SDL_GetWindowSurface(window);
      SDL_BlitScaled(picture, nullptr, surface, nullptr);
      SDL_UpdateWindowSurface(window);
    }
  };

  show();
  const Uint64 start = SDL_GetTicks64();
  Uint64 next = start + static_cast<Uint64>(everyMs);
  for (bool running = true; running;) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      if (event.type == SDL_QUIT) running = false;
    }
    if (seconds < 0) {
      SDL_WaitEventTimeout(nullptr, 100);
      continue;
    }
    const Uint64 now = SDL_GetTicks64();
    if (static_cast<double>(now - start) >= seconds * 1000) break;
    if (now >= next) {
      show();
      next += static_cast<Uint64>(everyMs);
    } else {
      SDL_Delay(static_cast<Uint32>(next - now));
    }
  }
  if (texture != nullptr) SDL_DestroyTexture(texture);
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  if (picture != nullptr) SDL_FreeSurface(picture);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
