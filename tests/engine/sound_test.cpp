#include <gtest/gtest.h>

#include "engine_support.h"
#include "sound/sound_device.h"

namespace enginetest {
namespace {

using Op = platform::SoundCall::Op;

Bytes Samples(std::size_t count) {
  Bytes data(count);
  for (std::size_t i = 0; i < count; ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 11);
  return data;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(device_.Open(nullptr)); }
  void TearDown() override { device_.Close(); }
  SoundEffect Load(const Bytes& file) {
    WriteBytes(dir_.File("effect.wav"), file);
    return device_.LoadWave(dir_.File("effect.wav").c_str());
  }
  // The bytes the effect's buffer holds.
  static Bytes Held(const SoundEffect& effect) {
    void* parts[2] = {};
    DWORD sizes[2] = {};
    if (effect.buffer()->Lock(0, 0, &parts[0], &sizes[0], &parts[1], &sizes[1], 0) != DS_OK) return {};
    Bytes copy(static_cast<std::uint8_t*>(parts[0]), static_cast<std::uint8_t*>(parts[0]) + sizes[0]);
    effect.buffer()->Unlock(parts[0], sizes[0], parts[1], sizes[1]);
    return copy;
  }

  DisplayRig rig_{platform::HeadlessOptions{.mixAudio = true, .audioRate = 8000, .recordSoundCalls = true}};
  TempFolder dir_;
  SoundDevice device_;
};

TEST_F(SoundTest, BrokenFilesYieldNoEffectAndLeaveNothingBehind) {
  const Bytes fmt = Format(1, 1, 8000, 8);
  const Bytes data = Samples(40);
  Bytes cut = Riff({{"fmt ", fmt}, {"data", data}});
  cut.resize(cut.size() - 10);
  const std::pair<Bytes, const char*> cases[] = {
      {Bytes{'R', 'I', 'F', 'F'}, "header only"},
      {Riff({{"fmt ", fmt}, {"data", data}}, "AVI "), "not WAVE"},
      {Riff({{"data", data}}), "no fmt"},
      {Riff({{"fmt ", fmt}}), "no data"},
      {cut, "data cut short"},
      {Riff({{"fmt ", Bytes(fmt.begin(), fmt.begin() + 14)}, {"data", data}}), "fmt shorter than 16"},
      {Riff({{"fmt ", Format(3, 1, 8000, 8)}, {"data", data}}), "no extra size"},
      {Riff({{"fmt ", Format(2, 1, 8000, 4, {2, 0, 1, 2})}, {"data", data}}), "not PCM"},
      {Riff({{"data", data}, {"fmt ", Format(2, 1, 8000, 4, {9, 0, 1, 2})}}),
       "extra size past chunk and file"},
      {Riff({{"fmt ", fmt}, {"data", data, 0x7FFFFFF0}}), "data size past the file"},
      {Riff({{"fmt ", fmt, 0xFFFFFFF0}, {"data", data}}), "fmt size past the file"},
      {Riff({{"fmt ", fmt}, {"data", {}}}), "empty data"}};
  const auto& calls = rig_.backend().soundCalls();
  for (const auto& [file, why] : cases) {
    const std::size_t before = calls.size();
    const int files = OpenFileCount();
    EXPECT_FALSE(Load(file).Loaded()) << why;
    EXPECT_EQ(OpenFileCount(), files) << why;
    int live = 0;  // buffers made and not given back
    for (std::size_t i = before; i < calls.size(); ++i)
      live += (calls[i].call.op == Op::Create) - (calls[i].call.op == Op::Release);
    EXPECT_EQ(live, 0) << why;
  }
  EXPECT_FALSE(device_.LoadWave(dir_.File("missing.wav").c_str()).Loaded());
}

TEST_F(SoundTest, WavesWrittenBySox) {
  if (!RunTool("command -v sox")) GTEST_SKIP() << "SoX is not installed";
  const std::string path = dir_.File("sox.wav");
  // 0.25 s at 8000 Hz mono 16-bit; 0.1 s at 11025 Hz is 1103 stereo 8-bit frames.
  for (const auto& [options, seconds, bytes] :
       {std::tuple{"-r 8000 -c 1 -b 16", "0.25", 4000}, {"-r 11025 -c 2 -b 8 -e unsigned", "0.1", 2206}}) {
    ASSERT_TRUE(RunTool(std::string("sox -n ") + options + " '" + path + "' synth " + seconds + " sine 440"));
    const Bytes file = ReadBytes(path);
    SoundEffect effect = device_.LoadWave(path.c_str());
    ASSERT_TRUE(effect.Loaded()) << options;
    EXPECT_EQ(Held(effect), Bytes(file.end() - bytes, file.end())) << options;  // "data" comes last
    effect.Release();
  }
  // A-law comes with an empty extra part and a "fact" chunk; only PCM plays.
  ASSERT_TRUE(RunTool("sox -n -r 8000 -e a-law '" + path + "' synth 0.1 sine 300"));
  EXPECT_FALSE(device_.LoadWave(path.c_str()).Loaded());
}

// The dot effect is rewound before each play and restarts; the ghost
// effect is only played and runs on.
TEST_F(SoundTest, ChunksInEitherOrderAndRewindRestartsWhilePlayAloneRunsOn) {
  Bytes ramp;
  for (std::uint32_t i = 0; i < 4000; ++i) PutLe(ramp, i * 4, 2);
  for (const bool rewind : {true, false}) {
    // "data" first, chunks around it, a pad byte, and a PCM "fmt " longer than 16 bytes.
    SoundEffect effect = Load(Riff({{"LIST", Bytes(7, 'x')},
                                    {"data", ramp},
                                    {"junk", Bytes(3, 0)},
                                    {"fmt ", Format(1, 1, 8000, 16, {4, 0, 9, 9})}}));
    ASSERT_EQ(Held(effect), ramp);
    const std::size_t start = rig_.backend().audio().size();
    for (int request = 0; request < 2; ++request) {
      if (rewind) effect.Rewind();
      effect.Play();
      rig_.backend().Advance(100);  // 800 frames
    }
    const auto left = [&](std::size_t frame) { return rig_.backend().audio().at(start + 2 * frame); };
    EXPECT_GT(left(790), 3000);
    EXPECT_EQ(left(810) < 200, rewind);
    effect.Release();
    effect.Release();
    EXPECT_FALSE(effect.Loaded());
  }
}

TEST(NoSoundDevice, EverythingIsSilent) {
  DisplayRig rig(platform::HeadlessOptions{.soundDevice = false, .recordSoundCalls = true});
  TempFolder dir;
  SoundDevice device;
  EXPECT_FALSE(device.Open(nullptr));
  WriteBytes(dir.File("dot.wav"), Riff({{"fmt ", Format(1, 1, 8000, 8)}, {"data", Samples(64)}}));
  SoundEffect effect = device.LoadWave(dir.File("dot.wav").c_str());
  EXPECT_FALSE(effect.Loaded());
  effect.Rewind();
  effect.Play();
  effect.Release();
  device.Close();
  EXPECT_TRUE(rig.backend().soundCalls().empty());
}

}  // namespace
}  // namespace enginetest
