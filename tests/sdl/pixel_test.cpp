// The 16-bit pixels as the window gets them, and which OpenGL counts as
// drawn by the processor.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sdl/pixel_expand.h"
#include "platform/sdl/renderer_choice.h"
#include "platform/sdl/tick_clock.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace platform {
namespace {

TEST(SdlPixelExpand, ChannelsKeepFullAndZeroAndRepeatTheirTopBits) {
  const std::vector<std::uint16_t> in565 = {0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0821};
  const std::vector<std::uint32_t> out565 = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF00FF00,
                                             0xFF0000FF, 0xFF848284, 0xFF080408};
  std::vector<std::uint32_t> out(8, 0xDEADBEEF);
  ExpandRow565(in565.data(), out.data(), 7);
  EXPECT_EQ(std::vector<std::uint32_t>(out.begin(), out.begin() + 7), out565);
  EXPECT_EQ(out[7], 0xDEADBEEFu) << "wrote past the row";
  // In 5-5-5 the top bit is no part of the colour.
  const std::vector<std::uint16_t> in555 = {0x7FFF, 0x8000, 0x7C00, 0x03E0, 0x001F, 0x4210, 0xFFFF};
  const std::vector<std::uint32_t> out555 = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF00FF00,
                                             0xFF0000FF, 0xFF848484, 0xFFFFFFFF};
  ExpandRow555(in555.data(), out.data(), 7);
  EXPECT_EQ(std::vector<std::uint32_t>(out.begin(), out.begin() + 7), out555);
}

TEST(SdlDrawScaled, PixelsBecomeSquaresCutAtTheEdgesAndNothingElseIsTouched) {
  // 3 x 2 pixels, rows 4 apart: white, blue, red / green, black, white.
  std::vector<std::uint16_t> pixels{0xFFFF, 0x001F, 0xF800, 0x0BAD, 0x07E0, 0x0000, 0xFFFF, 0x0BAD};
  const FrameView picture{pixels.data(), 3, 2, 8, true};
  const std::uint32_t colors[2][3] = {{0xFFFFFFFF, 0xFF0000FF, 0xFFFF0000},
                                      {0xFF00FF00, 0xFF000000, 0xFFFFFFFF}};
  constexpr std::uint32_t kUntouched = 0x12345678;
  std::vector<std::uint32_t> scratch;
  const auto draw = [&](const Letterbox& box, int width, int height, int pitch) {
    std::vector<std::uint32_t> target(static_cast<std::size_t>(pitch * height), kUntouched);
    DrawScaled(picture, box, TargetPixels{target.data(), width, height, pitch * 4}, scratch);
    return target;
  };
  // Scale 2 at (1, 1) in a 9 x 6 target with rows 10 apart.
  auto target = draw(Letterbox{2, 1, 1, 6, 4}, 9, 6, 10);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 1 && x < 7 && y >= 1 && y < 5;
      EXPECT_EQ(target[static_cast<std::size_t>(y * 10 + x)],
                inside ? colors[(y - 1) / 2][(x - 1) / 2] : kUntouched)
          << x << ", " << y;
    }
  }
  // Scale 3 at (-2, -4) in 5 x 2: only the second row's pixels, cut.
  target = draw(Letterbox{3, -2, -4, 9, 6}, 5, 2, 6);
  const std::uint32_t row[6] = {colors[1][0], colors[1][1], colors[1][1],
                                colors[1][1], colors[1][2], kUntouched};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(target[static_cast<std::size_t>(i)], row[i % 6]) << i;
  for (const std::uint32_t pixel : draw(Letterbox{1, 5, 0, 3, 2}, 5, 2, 5)) EXPECT_EQ(pixel, kUntouched);
}

TEST(SdlRendererChoice, MesaSoftwareRasterizersAreRecognised) {
  for (const char* name :
       {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer", "Mesa swrast"}) {
    EXPECT_TRUE(IsSoftwareRasterizer(name)) << name;
  }
  for (const char* name :
       {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 6600 (navi23, LLVM 15.0.6)",
        "NVIDIA GeForce GTX 1060/PCIe/SSE2", "", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(IsSoftwareRasterizer(name)) << (name != nullptr ? name : "null");
  }
}

// OpenGL is tried only where a device could run it: a DRI render node or
// NVIDIA's own driver; a display node alone (a plain frame buffer) is not one.
// Sound is looked for where a device could play (an ALSA playback node, OSS)
// or a server listens (PulseAudio's socket, the user's or the system's, a
// PipeWire socket, a server named outright). Files are made under a folder
// holding dev/, run/ and the runtime folder rt/.
TEST(SdlRendererChoice, GraphicsAndSoundAreTriedOnlyWhereTheirDevicesCouldBe) {
  const struct {
    std::vector<std::string> files;
    bool graphics;
    bool sound;
    std::string server = "";
  } cases[] = {{{}, false, false},
               {{"dev/dri/", "dev/snd/", "rt/"}, false, false},
               {{"dev/dri/card0", "dev/dri/by-path/", "dev/snd/controlC0", "dev/snd/seq"}, false, false},
               {{"dev/dri/card0", "dev/dri/renderD128"}, true, false},
               {{"dev/nvidiactl", "dev/nvidia0"}, true, false},
               {{"dev/snd/controlC0", "dev/snd/pcmC0D0p"}, false, true},
               {{"dev/dsp"}, false, true},
               {{"run/pulse/native"}, false, true},
               {{"rt/pulse/native"}, false, true},
               {{"rt/pipewire-0"}, false, true},
               {{"rt/pulse/"}, false, false},
               {{}, false, true, "tcp:localhost"}};
  for (const auto& c : cases) {
    const support::TempFolder root;
    for (const std::string& file : c.files) {
      const std::filesystem::path path = root.path() + "/" + file;
      std::filesystem::create_directories(file.ends_with('/') ? path : path.parent_path());
      if (!file.ends_with('/')) support::WriteText(path.string(), "");
    }
    const std::string where = testing::PrintToString(c.files);
    EXPECT_EQ(HasGraphicsDevice(root.path() + "/dev"), c.graphics) << where;
    EXPECT_EQ(MayHaveSoundOutput({root.path() + "/dev", root.path() + "/run", root.path() + "/rt", c.server}),
              c.sound)
        << where;
  }
  EXPECT_FALSE(HasGraphicsDevice("/no/such/folder"));
  EXPECT_FALSE(MayHaveSoundOutput({"/no/such/folder", "/no/such/folder", "", ""}));
}

// A sleep past a reading never ends before the next one begins, and one
// past a reading gone by does not sleep.
TEST(SdlTickClock, SleepPastEndsOnlyOnceTheClockReadsMore) {
  const TickClock clock;
  for (int i = 0; i < 20; ++i) {
    const TickClock::Reading before = clock.Read();
    EXPECT_GE(before.late, 0);
    EXPECT_LT(before.late, 1000000);
    clock.SleepPast(before.ms);
    EXPECT_GT(clock.Now(), before.ms);
  }
  const std::uint32_t now = clock.Now();
  const std::int64_t asleep = TickClock::MonotonicNs();
  for (int i = 0; i < 100; ++i) clock.SleepPast(now - 1);
  EXPECT_LT(TickClock::MonotonicNs() - asleep, 50000000) << "a hundred sleeps past a reading gone by";
}

}  // namespace
}  // namespace platform
