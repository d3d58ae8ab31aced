// The SDL back end opened for real: a window on the display (skipped when
// there is none) with the picture read back as drawn, input pushed through
// SDL's own queue (keys, focus, and gamepads through SDL's virtual
// joysticks), the player's pause, volume and mute, and the audio device.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/dsound.h"
#include "platform/mixer.h"
#include "platform/sdl/renderer_choice.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/win32.h"
#include "support/backend_scope.h"
#include "support/files.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

#if defined(__SANITIZE_ADDRESS__)
#define CHOMPO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CHOMPO_SANITIZED 1
#endif
#endif
#ifdef CHOMPO_SANITIZED
// The desktop bus connection SDL opens is never given back.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
// Mesa's OpenGL leaks from libraries it unloads again, where no suppression
// can name them, so sanitized runs keep to drawing without OpenGL.
constexpr bool kAvoidOpenGl = true;
#else
constexpr bool kAvoidOpenGl = false;
#endif

namespace platform {
namespace {

using support::ScopedEnv;

constexpr std::uint16_t kRed = 0xF800;
constexpr std::uint16_t kGreen = 0x07E0;
constexpr std::uint16_t kBlue = 0x001F;
constexpr std::uint16_t kWhite = 0xFFFF;

class SdlBackendTest : public testing::Test {
 protected:
  void SetUp() override {
    if (kAvoidOpenGl) {
      noGpu_.emplace("CHOMPO_SOFTWARE", "1");
      noGlFramebuffer_.emplace("SDL_FRAMEBUFFER_ACCELERATION", "0");
    }
    Restart(options_);
  }
  // A back end of its own for the rest of the test.
  void Restart(SdlOptions options) {
    scope_.reset();
    backend_.reset();  // shuts SDL down: first, so it does not undo the new one's start
    backend_ = std::make_unique<SdlBackend>(std::move(options));
    scope_.emplace(*backend_);
  }
  void TearDown() override {
    scope_.reset();
    backend_.reset();
  }
  SdlBackend& backend() { return *backend_; }

  std::vector<std::pair<UINT, WPARAM>> TakeMessages() {
    std::vector<std::pair<UINT, WPARAM>> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) taken.emplace_back(msg.message, msg.wParam);
    return taken;
  }

 private:
  std::optional<ScopedEnv> noGpu_;
  std::optional<ScopedEnv> noGlFramebuffer_;
  std::unique_ptr<SdlBackend> backend_;
  std::optional<support::BackendScope> scope_;

 protected:
  SdlOptions options_;
};

class SdlWindowTest : public SdlBackendTest {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display to open a window on";
    options_.fullScreen = false;
    SdlBackendTest::SetUp();
  }

  HWND OpenWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "ChompoSdlTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ChompoSdlTest", "Chompo SDL test", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240,
                                  nullptr, nullptr, nullptr, nullptr);
    if (window != nullptr) ShowWindow(window, SW_SHOWNORMAL);
    return window;
  }

  // Pumps until the window is width x height pixels.
  bool Resize(int width, int height) {
    SDL_SetWindowSize(backend().window(), width, height);
    for (int i = 0; i < 300; ++i) {
      TakeMessages();
      int w = 0;
      int h = 0;
      SDL_GetWindowSizeInPixels(backend().window(), &w, &h);
      if (w == width && h == height) return true;
      SDL_Delay(10);
    }
    return false;
  }

  // Lets the window system settle (mapping, focus), then empties the queue.
  void SettleAndDrain() {
    for (const Uint32 start = SDL_GetTicks(); SDL_GetTicks() - start < 200;) TakeMessages();
  }

  std::uint32_t Shown(int x, int y) {
    return backend().captured()[static_cast<std::size_t>(y * backend().capturedWidth() + x)];
  }

  // The last drawing shows the 320 x 240 picture (5-6-5) from (left, top),
  // every pixel exactly scale x scale, and black around it.
  void ExpectShows(const std::vector<std::uint16_t>& picture, int scale, int left, int top) {
    ASSERT_FALSE(backend().captured().empty());
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        const std::uint32_t p = picture[static_cast<std::size_t>(y * 320 + x)];
        const std::uint32_t r = p >> 11, g = (p >> 5) & 63u, b = p & 31u;
        const std::uint32_t expected =
            0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
        for (const int d : {0, scale - 1}) {
          ASSERT_EQ(Shown(left + x * scale + d, top + y * scale + d), expected)
              << x << ", " << y << " + " << d;
        }
      }
    }
    const int right = left + 320 * scale;
    const int bottom = top + 240 * scale;
    for (int y = 0; y < backend().capturedHeight(); y += 7) {
      EXPECT_TRUE(left == 0 || (Shown(left - 1, y) | Shown(right, y)) == 0xFF000000u) << y;
    }
    for (int x = 0; x < backend().capturedWidth(); x += 7) {
      EXPECT_TRUE(top == 0 || (Shown(x, top - 1) | Shown(x, bottom)) == 0xFF000000u) << x;
    }
  }

 private:
};

class SdlPictureTest : public SdlWindowTest, public testing::WithParamInterface<std::string> {};

TEST_P(SdlPictureTest, FlipShowsTheBackBufferAtAWholeScaleWithBlackBorders) {
  if (kAvoidOpenGl && GetParam() == "opengl") GTEST_SKIP() << "no OpenGL in sanitized runs";
  if (!GetParam().empty()) SDL_SetHint(SDL_HINT_RENDER_DRIVER, GetParam().c_str());
  HWND window = OpenWindow();
  if (window == nullptr && !GetParam().empty()) GTEST_SKIP() << "no " << GetParam() << " renderer here";
  ASSERT_NE(window, nullptr);
  SDL_Renderer* renderer = SDL_GetRenderer(backend().window());
  SDL_RendererInfo info{};
  EXPECT_FALSE(GetParam().empty() && DrawsWithSoftwareGl(renderer)) << "kept an OpenGL run on the processor";
  const std::string used = SDL_GetRendererInfo(renderer, &info) == 0 ? info.name : "";
  EXPECT_TRUE(GetParam().empty() || used == GetParam()) << used;

  IDirectDraw* directDraw = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
  directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
  ASSERT_EQ(directDraw->SetDisplayMode(320, 240, 16), DD_OK);
  EXPECT_FALSE(backend().fullScreen());
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* backBuffer = nullptr;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &backBuffer), DD_OK);
  // Red, a blue block, and white, blue and green pixels at the corners.
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = kRed;
  backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  RECT block{100, 50, 110, 60};
  fx.dwFillColor = kBlue;
  backBuffer->Blt(&block, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  ASSERT_EQ(backBuffer->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  auto* rows = static_cast<std::uint8_t*>(desc.lpSurface);
  reinterpret_cast<std::uint16_t*>(rows)[0] = kWhite;
  reinterpret_cast<std::uint16_t*>(rows)[1] = kBlue;
  reinterpret_cast<std::uint16_t*>(rows + 239 * desc.lPitch)[319] = kGreen;
  backBuffer->Unlock(nullptr);
  std::vector<std::uint16_t> picture;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) picture.push_back(backBuffer->PixelAt(x, y));
  }

  backend().SetCapture(true);
  EXPECT_FALSE(Resize(200, 100)) << "a window smaller than the picture would crop it";
  const struct {
    int width, height, scale, left, top;
  } sizes[] = {{960, 720, 3, 0, 0}, {1001, 801, 3, 20, 40}, {640, 480, 2, 0, 0}, {700, 1000, 2, 30, 260}};
  for (const auto& size : sizes) {
    ASSERT_TRUE(Resize(size.width, size.height)) << size.width << " x " << size.height;
    ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
    Sleep(0);  // a picture waiting for its turn is drawn before any pause
    ASSERT_EQ(backend().capturedWidth(), size.width);
    ASSERT_EQ(backend().capturedHeight(), size.height);
    ExpectShows(picture, size.scale, size.left, size.top);
  }
  primary->Release();
  directDraw->Release();
}

INSTANTIATE_TEST_SUITE_P(Renderers, SdlPictureTest, testing::Values("", "software", "opengl"),
                         [](const auto& param) { return param.param.empty() ? "Default" : param.param; });

TEST_F(SdlWindowTest, PresentFollowsPitchFormatAndEveryChangedRow) {
  ASSERT_NE(OpenWindow(), nullptr);
  ASSERT_TRUE(backend().SetDisplayMode(320, 240, 16));
  ASSERT_TRUE(Resize(960, 720));
  backend().SetCapture(true);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u) << "gamepads are looked for once a picture is up";
  constexpr int kPitch = 333;  // the padding is green and must never show
  std::vector<std::uint16_t> padded(kPitch * 240, kGreen);
  std::vector<std::uint16_t> picture(320 * 240, kRed);
  const auto present = [&](bool is565) {
    for (int i = 0; i < 320 * 240; ++i) {
      const std::uint16_t p = picture[static_cast<std::size_t>(i)];
      // In 5-5-5 green loses its lowest bit.
      padded[static_cast<std::size_t>(i / 320 * kPitch + i % 320)] =
          is565 ? p : static_cast<std::uint16_t>(((p >> 1) & 0x7FE0) | (p & 0x1F));
    }
    backend().Present(FrameView{padded.data(), 320, 240, kPitch * 2, is565});
  };
  for (const bool is565 : {false, true}) {
    present(is565);
    Sleep(0);
    ExpectShows(picture, 3, 0, 0);
  }
  TakeMessages();
  EXPECT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
  // Some rows change; then two presents come before one drawing.
  for (int x = 0; x < 320; ++x) {
    for (const int y : {0, 10, 11, 239}) picture[static_cast<std::size_t>(y * 320 + x)] = kBlue;
  }
  picture[100 * 320 + 5] = kWhite;
  present(true);
  Sleep(0);
  ExpectShows(picture, 3, 0, 0);
  picture[100 * 320 + 5] = kRed;
  present(true);
  picture[200 * 320 + 300] = kGreen;
  present(true);
  Sleep(0);
  ExpectShows(picture, 3, 0, 0);
}

TEST_F(SdlWindowTest, PresentingFasterThanADisplayDrawsOnlyTheNewestPicture) {
  ASSERT_NE(OpenWindow(), nullptr);
  ASSERT_TRUE(backend().SetDisplayMode(320, 240, 16));
  backend().SetCapture(true);
  std::vector<std::uint16_t> pixels(320 * 240, kRed);
  const std::uint64_t drawingsBefore = backend().renderCount();
  const Uint32 start = SDL_GetTicks();
  for (int i = 0; SDL_GetTicks() - start < 100; ++i) {
    pixels[0] = i % 2 == 0 ? kBlue : kGreen;
    backend().Present(FrameView{pixels.data(), 320, 240, 640, true});
  }
  EXPECT_LE(backend().renderCount() - drawingsBefore,
            (SDL_GetTicks() - start) / SdlBackend::kMinRenderGapMs + 1);
  // The newest picture is drawn by the next poll once the gap has passed.
  pixels[0] = kWhite;
  backend().Present(FrameView{pixels.data(), 320, 240, 640, true});
  for (const Uint32 presented = SDL_GetTicks(); SDL_GetTicks() - presented <= SdlBackend::kMinRenderGapMs;) {
    TakeMessages();
  }
  EXPECT_EQ(Shown(0, 0), 0xFFFFFFFFu);
  // The same picture again and again, as a still screen presents it, is
  // shown already.
  const std::uint64_t shown = backend().renderCount();
  for (const Uint32 again = SDL_GetTicks(); SDL_GetTicks() - again <= 3 * SdlBackend::kMinRenderGapMs;) {
    backend().Present(FrameView{pixels.data(), 320, 240, 640, true});
    TakeMessages();
  }
  EXPECT_EQ(backend().renderCount(), shown);
}

// Pictures every 17 readings, as in play, and nothing but polls between
// them: once the rhythm is steady the polls sleep until the reading before
// the next picture, and the game still sees the reading that picture is due.
TEST_F(SdlWindowTest, BetweenPicturesOfASteadyRhythmPollsSleepUntilTheReadingBeforeTheNext) {
  ASSERT_NE(OpenWindow(), nullptr);
  ASSERT_TRUE(backend().SetDisplayMode(320, 240, 16));
  SettleAndDrain();
  std::vector<std::uint16_t> pixels(320 * 240, kRed);
  MSG msg;
  DWORD last = timeGetTime();
  int fewestPolls = 17;
  for (int frame = 0; frame < 12; ++frame) {
    int polls = 0;
    DWORD now = 0;
    while ((now = timeGetTime()) - last < 17) {
      PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
      ++polls;
    }
    last = now;
    pixels[0] = frame % 2 == 0 ? kBlue : kGreen;
    backend().Present(FrameView{pixels.data(), 320, 240, 640, true});
    // A busy machine may break the rhythm now and then.
    if (frame >= 5) fewestPolls = std::min(fewestPolls, polls);
  }
  EXPECT_LE(fewestPolls, 4);
}

void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.repeat = repeat;
  event.key.keysym.sym = key;
  event.key.keysym.mod = mod;
  SDL_PushEvent(&event);
}

void PushEvent(Uint32 type, SDL_WindowEventID windowEvent = SDL_WINDOWEVENT_NONE) {
  SDL_Event event{};
  event.type = type;
  event.window.event = static_cast<Uint8>(windowEvent);
  SDL_PushEvent(&event);
}

using Messages = std::vector<std::pair<UINT, WPARAM>>;

TEST_F(SdlWindowTest, KeysFocusCloseAndSignalsBecomeWindowMessagesInOrder) {
  ASSERT_NE(OpenWindow(), nullptr);
  SettleAndDrain();
  PushKey(SDL_KEYDOWN, SDLK_a);
  EXPECT_NE(GetAsyncKeyState('A') & 0x8000, 0);
  PushKey(SDL_KEYDOWN, SDLK_a, KMOD_NONE, 1);  // an auto-repeat: dropped
  PushKey(SDL_KEYDOWN, SDLK_LEFT);
  PushKey(SDL_KEYUP, SDLK_LEFT);
  PushKey(SDL_KEYDOWN, SDLK_LALT);  // no code for the game: dropped
  PushEvent(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST);
  PushEvent(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED);
  PushEvent(SDL_QUIT);
  EXPECT_EQ(GetAsyncKeyState('A'), 0) << "losing the focus lets go of held keys";
  EXPECT_EQ(TakeMessages(), (Messages{{WM_KEYDOWN, 'A'},
                                      {WM_KEYDOWN, VK_LEFT},
                                      {WM_KEYUP, VK_LEFT},
                                      {WM_ACTIVATE, WA_INACTIVE},
                                      {WM_ACTIVATE, WA_ACTIVE},
                                      {WM_CLOSE, 0}}));
  std::raise(SIGTERM);
  EXPECT_EQ(TakeMessages(), (Messages{{WM_CLOSE, 0}}));
}

TEST_F(SdlWindowTest, WaitMessageBlocksUntilInputArrives) {
  ASSERT_NE(OpenWindow(), nullptr);
  SettleAndDrain();
  const Uint32 start = SDL_GetTicks();
  std::thread late([] {
    SDL_Delay(100);
    PushKey(SDL_KEYDOWN, SDLK_SPACE);
  });
  WaitMessage();
  EXPECT_GE(SDL_GetTicks() - start, 100u);
  late.join();
  EXPECT_EQ(TakeMessages(), (Messages{{WM_KEYDOWN, VK_SPACE}}));
}

TEST_F(SdlWindowTest, AltEnterSwitchesFullScreenAndNeverReachesTheGame) {
  Restart({.fullScreen = true});
  ASSERT_NE(OpenWindow(), nullptr);
  ASSERT_TRUE(backend().SetDisplayMode(320, 240, 16));
  const auto flags = [&] { return SDL_GetWindowFlags(backend().window()) & SDL_WINDOW_FULLSCREEN_DESKTOP; };
  EXPECT_TRUE(backend().fullScreen());
  EXPECT_EQ(flags(), static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
  SettleAndDrain();
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, 1);
  EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
  PushKey(SDL_KEYUP, SDLK_RETURN);  // Alt let go first: still part of the chord
  EXPECT_EQ(flags(), 0u);
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(backend().window(), &width, &height);
  EXPECT_EQ(width * 1000 + height, 960720);
  PushKey(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT);
  PushKey(SDL_KEYUP, SDLK_KP_ENTER, KMOD_RALT);
  EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
  EXPECT_TRUE(backend().fullScreen());
  for (const auto& [message, key] : TakeMessages()) EXPECT_TRUE(message != WM_KEYDOWN && message != WM_KEYUP);
  // Enter on its own is the game's.
  PushKey(SDL_KEYDOWN, SDLK_RETURN);
  PushKey(SDL_KEYUP, SDLK_RETURN);
  EXPECT_EQ(TakeMessages(), (Messages{{WM_KEYDOWN, VK_RETURN}, {WM_KEYUP, VK_RETURN}}));
}

// During play P pauses: the picture dims, the game's clock stands still and
// the game is told it is inactive; the focus coming back changes nothing,
// and P again brings back the picture and the clock where they were.
TEST_F(SdlWindowTest, PDimsAndFreezesThePictureAndPAgainResumes) {
  Restart({.fullScreen = false, .pauseAllowed = [] { return true; }});
  ASSERT_NE(OpenWindow(), nullptr);
  ASSERT_TRUE(backend().SetDisplayMode(320, 240, 16));
  ASSERT_TRUE(Resize(960, 720));
  backend().SetCapture(true);
  std::vector<std::uint16_t> picture(320 * 240, kRed);
  for (int i = 0; i < 320 * 30; ++i) picture[static_cast<std::size_t>(100 * 320 + i)] = kWhite;
  picture[5] = kGreen;
  picture[6] = kBlue;
  backend().Present(FrameView{picture.data(), 320, 240, 640, true});
  Sleep(0);
  ExpectShows(picture, 3, 0, 0);
  SettleAndDrain();

  PushKey(SDL_KEYDOWN, SDLK_p);
  EXPECT_EQ(TakeMessages(), (Messages{{WM_ACTIVATE, WA_INACTIVE}}));
  EXPECT_TRUE(backend().paused());
  std::vector<std::uint16_t> dimmed = picture;
  for (std::uint16_t& p : dimmed) {  // each channel at half
    p = static_cast<std::uint16_t>((p >> 11) / 2 << 11 | ((p >> 5) & 63) / 2 << 5 | (p & 31) / 2);
  }
  ExpectShows(dimmed, 3, 0, 0);
  const DWORD stopped = timeGetTime();
  SDL_Delay(60);
  PushKey(SDL_KEYUP, SDLK_p);
  PushEvent(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(TakeMessages(), Messages{}) << "the key's release and the focus are the pause's";
  EXPECT_EQ(timeGetTime(), stopped);
  ASSERT_TRUE(Resize(1000, 800));
  ExpectShows(dimmed, 3, 20, 40);

  const Uint32 resuming = SDL_GetTicks();
  PushKey(SDL_KEYDOWN, SDLK_p);
  EXPECT_EQ(TakeMessages(), (Messages{{WM_ACTIVATE, WA_ACTIVE}}));
  const DWORD resumed = timeGetTime();
  EXPECT_LE(resumed - stopped, SDL_GetTicks() - resuming) << "the clock runs on from where it stopped";
  ExpectShows(picture, 3, 20, 40);
}

// A loop that polls and finds nothing sleeps until the clock reads more
// than it last saw, and no longer: a reading it has not seen yet is there
// at once. A loop that only reads the clock sleeps too.
TEST_F(SdlBackendTest, AnEmptyPollOrALoopOfClockReadsWaitsForTheNextReadingOnly) {
  MSG msg;
  DWORD seen = timeGetTime();
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    const DWORD now = timeGetTime();
    EXPECT_GT(now, seen);
    seen = now;
  }
  int atOnce = 0;
  for (int i = 0; i < 5; ++i) {
    SDL_Delay(3);
    const DWORD unseen = backend().ReadClockQuietly();
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    // Unless the machine held this thread past the next reading.
    atOnce += timeGetTime() == unseen;
  }
  EXPECT_GE(atOnce, 3);
  const DWORD start = timeGetTime();
  std::uint64_t reads = 0;
  for (DWORD now = start; now - start < 20; now = timeGetTime()) ++reads;
  EXPECT_LE(reads, std::uint64_t{SdlBackend::kSpinReads} * 21);
}

TEST_F(SdlBackendTest, WithoutADisplayNoWindowOpensUnseen) {
  ScopedEnv noX("DISPLAY", nullptr);
  ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "ChompoSdlTest";
  RegisterClassA(&windowClass);
  if (CreateWindowExA(0, "ChompoSdlTest", "", 0, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr) !=
      nullptr) {
    // Only a console driver (a real screen) may take over.
    EXPECT_STRNE(SDL_GetCurrentVideoDriver(), "offscreen");
    EXPECT_STRNE(SDL_GetCurrentVideoDriver(), "dummy");
  } else {
    EXPECT_TRUE(backend().noDisplay()) << "the program's exit status tells";
  }
}

// Audio needs no display: the dummy driver plays into nothing at real speed.
TEST_F(SdlBackendTest, SoundPlaysToItsEndThroughTheDeviceOrFailsWithoutOne) {
  {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    IDirectSound* none = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &none, nullptr), DSERR_NODRIVER);
  }
  {
    // A driver that starts but opens no device: the next try starts afresh.
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", "/no/such/folder/sound.raw");
    IDirectSound* none = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &none, nullptr), DSERR_NODRIVER);
  }
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  IDirectSound* sound = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK);
  EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
  EXPECT_EQ(backend().audioRate(), 44100);
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 4410, 0, &format};  // 0.1 s
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(sound->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
  void* samples = nullptr;
  DWORD bytes = 0;
  ASSERT_EQ(buffer->Lock(0, 0, &samples, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  buffer->Unlock(samples, bytes, nullptr, 0);  // silence will do
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  EXPECT_TRUE(buffer->IsPlaying());
  // Only the device's own thread moves a voice on; give it far more than 0.1 s.
  for (int i = 0; i < 300 && buffer->IsPlaying(); ++i) SDL_Delay(10);
  EXPECT_FALSE(buffer->IsPlaying());
  buffer->Release();
  sound->Release();
}

// Keys go through the player's bindings on their way to the game; the volume
// and mute keys reach the mixer and are reported to be remembered.
TEST_F(SdlBackendTest, BoundKeysReachTheGameAndVolumeKeysTheMixer) {
  Settings settings = DefaultSettings();
  settings.Keys(KeyAction::Left) = {"A", "Left"};
  settings.Keys(KeyAction::Quit) = {"Q", "F12"};
  std::vector<std::string> warnings;
  std::vector<std::pair<int, bool>> chosen;
  Restart({.volume = 2,
           .keys = KeyBindings(settings, "", warnings),
           .pauseAllowed = [] { return false; },
           .soundChosen = [&](int volume, bool muted) { chosen.emplace_back(volume, muted); }});
  const ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  Mixer mixer(44100);
  ASSERT_TRUE(backend().OpenAudio(mixer));
  EXPECT_EQ(mixer.volume(), 2);
  const struct {
    std::vector<std::pair<Uint32, SDL_Keycode>> keys;
    Messages messages;
    int mixerVolume;
  } steps[] = {
      {{{SDL_KEYDOWN, SDLK_a}, {SDL_KEYDOWN, SDLK_LEFT}, {SDL_KEYUP, SDLK_a}}, {{WM_KEYDOWN, VK_LEFT}}, 2},
      {{{SDL_KEYUP, SDLK_LEFT}}, {{WM_KEYUP, VK_LEFT}}, 2},  // held until the last key bound to it goes
      {{{SDL_KEYDOWN, SDLK_q}, {SDL_KEYDOWN, SDLK_ESCAPE}, {SDL_KEYDOWN, SDLK_F12}},
       {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_F12}},
       2},
      {{{SDL_KEYDOWN, SDLK_p}, {SDL_KEYUP, SDLK_p}}, {{WM_KEYDOWN, 'P'}, {WM_KEYUP, 'P'}}, 2},  // not in play
      {{{SDL_KEYDOWN, SDLK_m}, {SDL_KEYUP, SDLK_m}}, {}, 0},
      {{{SDL_KEYDOWN, SDLK_m}}, {}, 2},
      {{{SDL_KEYDOWN, SDLK_EQUALS},
        {SDL_KEYUP, SDLK_EQUALS},
        {SDL_KEYDOWN, SDLK_MINUS},
        {SDL_KEYUP, SDLK_MINUS},
        {SDL_KEYDOWN, SDLK_MINUS}},
       {},
       1},
      {{{SDL_KEYUP, SDLK_m}, {SDL_KEYDOWN, SDLK_m}, {SDL_KEYUP, SDLK_EQUALS}, {SDL_KEYDOWN, SDLK_EQUALS}},
       {},
       2},  // a step ends a mute
  };
  for (const auto& step : steps) {
    for (const auto& [type, key] : step.keys) PushKey(type, key);
    EXPECT_EQ(TakeMessages(), step.messages) << SDL_GetKeyName(step.keys[0].second);
    EXPECT_EQ(mixer.volume(), step.mixerVolume) << SDL_GetKeyName(step.keys[0].second);
  }
  EXPECT_EQ(chosen, (std::vector<std::pair<int, bool>>{
                        {2, true}, {2, false}, {3, false}, {2, false}, {1, false}, {1, true}, {2, false}}));
  backend().CloseAudio();
}

// A gamepad SDL made up: its axes and buttons are the controller's own.
// Another kind of joystick is a gamepad only when a mapping names it.
class VirtualPad {
 public:
  explicit VirtualPad(SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = static_cast<Uint16>(type);
    const bool pad = type == SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = pad ? SDL_CONTROLLER_AXIS_MAX : 2;
    desc.nbuttons = pad ? SDL_CONTROLLER_BUTTON_MAX : 4;
    desc.name = pad ? "Chompo test pad" : "Chompo test stick";
    joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
  }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  bool plugged() const { return joystick_ != nullptr; }
  std::string Guid() const {
    char text[33] = {};
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick_), text, sizeof text);
    return text;
  }
  void Axis(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(joystick_, axis, value); }
  void Button(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
  void Unplug() {
    if (joystick_ == nullptr) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
  }

 private:
  SDL_Joystick* joystick_ = nullptr;
};

// Two pads, plugged in and out while playing, steer the one player: the
// d-pad and the left stick (4-way, with a dead zone and hysteresis) as the
// arrows, A and Start as Space (Start pauses in play), Back as Esc, the
// shoulders as the volume.
TEST_F(SdlBackendTest, GamepadsActAsTheArrowsSpaceAndEsc) {
  bool inPlay = false;
  Restart({.pauseAllowed = [&] { return inPlay; }});
  TakeMessages();  // without a window, the first look for input starts the gamepads
  std::vector<std::unique_ptr<VirtualPad>> pads;
  pads.push_back(std::make_unique<VirtualPad>());
  ASSERT_TRUE(pads[0]->plugged()) << SDL_GetError();
  TakeMessages();
  EXPECT_EQ(backend().gamepadCount(), 1u);
  using Pad = std::function<void()>;
  const auto axis = [&](int pad, SDL_GameControllerAxis a, Sint16 value) -> Pad {
    return [&pads, pad, a, value] { pads[static_cast<std::size_t>(pad)]->Axis(a, value); };
  };
  const auto button = [&](int pad, SDL_GameControllerButton b, bool down) -> Pad {
    return [&pads, pad, b, down] { pads[static_cast<std::size_t>(pad)]->Button(b, down); };
  };
  constexpr auto kX = SDL_CONTROLLER_AXIS_LEFTX;
  constexpr auto kY = SDL_CONTROLLER_AXIS_LEFTY;
  const struct {
    const char* what;
    std::vector<Pad> actions;
    Messages messages;
    int held;  // the arrow GetAsyncKeyState sees held afterwards, or 0
  } steps[] = {
      {"out of the dead zone", {axis(0, kX, -20000)}, {{WM_KEYDOWN, VK_LEFT}}, VK_LEFT},
      {"back inside, above the release", {axis(0, kX, -9000)}, {}, VK_LEFT},
      {"below the release", {axis(0, kX, -7000)}, {{WM_KEYUP, VK_LEFT}}, 0},
      {"inside the dead zone", {axis(0, kX, 11000)}, {}, 0},
      {"the larger axis wins", {axis(0, kX, 13000), axis(0, kY, 12500)}, {{WM_KEYDOWN, VK_RIGHT}}, VK_RIGHT},
      {"the other axis leads a little", {axis(0, kY, 16000)}, {}, VK_RIGHT},
      {"the other axis leads clearly",
       {axis(0, kY, 18000)},
       {{WM_KEYUP, VK_RIGHT}, {WM_KEYDOWN, VK_DOWN}},
       VK_DOWN},
      {"straight to the opposite", {axis(0, kY, -20000)}, {{WM_KEYUP, VK_DOWN}, {WM_KEYDOWN, VK_UP}}, VK_UP},
      {"the d-pad holds what the stick holds", {button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, true)}, {}, VK_UP},
      {"the stick lets go", {axis(0, kX, 0), axis(0, kY, 0)}, {}, VK_UP},
      {"the d-pad lets go", {button(0, SDL_CONTROLLER_BUTTON_DPAD_UP, false)}, {{WM_KEYUP, VK_UP}}, 0},
      {"A and Start are Space outside play",
       {button(0, SDL_CONTROLLER_BUTTON_A, true), button(0, SDL_CONTROLLER_BUTTON_START, true),
        button(0, SDL_CONTROLLER_BUTTON_A, false), button(0, SDL_CONTROLLER_BUTTON_START, false)},
       {{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}},
       0},
      {"Back is Esc",
       {button(0, SDL_CONTROLLER_BUTTON_BACK, true), button(0, SDL_CONTROLLER_BUTTON_BACK, false)},
       {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYUP, VK_ESCAPE}},
       0},
      {"a second pad plugged in", {[&pads] { pads.push_back(std::make_unique<VirtualPad>()); }}, {}, 0},
      {"both hold left",
       {button(0, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true), axis(1, kX, -30000)},
       {{WM_KEYDOWN, VK_LEFT}},
       VK_LEFT},
      {"one lets go", {button(0, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false)}, {}, VK_LEFT},
      {"the other is unplugged holding it", {[&pads] { pads[1]->Unplug(); }}, {{WM_KEYUP, VK_LEFT}}, 0},
      {"the focus goes while right is held",
       {button(0, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true),
        [] { PushEvent(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST); }},
       {{WM_KEYDOWN, VK_RIGHT}, {WM_ACTIVATE, WA_INACTIVE}},
       0},
      {"its release is not the game's any more",
       {button(0, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false),
        [] { PushEvent(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED); }},
       {{WM_ACTIVATE, WA_ACTIVE}},
       0},
      {"Start pauses in play",
       {[&inPlay] { inPlay = true; }, button(0, SDL_CONTROLLER_BUTTON_START, true),
        button(0, SDL_CONTROLLER_BUTTON_START, false)},
       {{WM_ACTIVATE, WA_INACTIVE}},
       0},
      {"and resumes",
       {button(0, SDL_CONTROLLER_BUTTON_START, true), button(0, SDL_CONTROLLER_BUTTON_START, false)},
       {{WM_ACTIVATE, WA_ACTIVE}},
       0},
      {"the shoulders step the volume",
       {button(0, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),
        button(0, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
        button(0, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),
        button(0, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
        button(0, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true)},
       {},
       0},
  };
  for (const auto& step : steps) {
    // Each change is pumped on its own, as a player makes them one by one.
    for (const Pad& action : step.actions) {
      action();
      SDL_PumpEvents();
    }
    EXPECT_EQ(TakeMessages(), step.messages) << step.what;
    int held = 0;
    for (const int arrow : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) {
      if ((GetAsyncKeyState(arrow) & 0x8000) != 0) held = arrow;
    }
    EXPECT_EQ(held, step.held) << step.what;
  }
  EXPECT_EQ(backend().volume(), 9);
  EXPECT_EQ(backend().gamepadCount(), 1u);
}

// Mappings in the settings folder's gamecontrollerdb.txt, or in
// SDL_GAMECONTROLLERCONFIG, make a joystick SDL does not know a gamepad.
TEST_F(SdlBackendTest, AMappingFromTheSettingsFolderOrTheEnvironmentMakesAJoystickAGamepad) {
  TakeMessages();
  std::string guid = VirtualPad(SDL_JOYSTICK_TYPE_ARCADE_STICK).Guid();
  guid.replace(4, 4, "0000");  // as databases write them, without the name's checksum
  const std::string mapping = guid + ",Chompo test stick,a:b0,dpleft:b1,platform:Linux,";
  const support::TempFolder folder;
  support::WriteText(folder.File("gamecontrollerdb.txt"), "# pads\n" + mapping + "\n");
  const struct {
    std::string file;
    const char* environment;
    std::size_t pads;
  } cases[] = {{"", nullptr, 0},
               {folder.File("gamecontrollerdb.txt"), nullptr, 1},
               {folder.File("absent.txt"), mapping.c_str(), 1}};
  for (const auto& c : cases) {
    const ScopedEnv environment("SDL_GAMECONTROLLERCONFIG", c.environment);
    Restart({.gamepadMappings = c.file});
    TakeMessages();
    VirtualPad stick(SDL_JOYSTICK_TYPE_ARCADE_STICK);
    TakeMessages();
    EXPECT_EQ(backend().gamepadCount(), c.pads) << c.file;
    stick.Button(SDL_CONTROLLER_BUTTON_B, true);  // its button 1: the mapping's d-pad left
    EXPECT_EQ(TakeMessages(), (c.pads == 0 ? Messages{} : Messages{{WM_KEYDOWN, VK_LEFT}})) << c.file;
  }
}

}  // namespace
}  // namespace platform
