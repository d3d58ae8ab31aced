#include <gtest/gtest.h>

#include "engine_support.h"
#include "sound/sound_device.h"
#include "sound/wave_format.h"

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
  explicit SoundTest(platform::HeadlessOptions options = {}) : rig_(options) {}
  void SetUp() override { ASSERT_TRUE(device_.Open(nullptr)); }
  void TearDown() override { device_.Close(); }

  SoundEffect Load(const Bytes& file) {
    WriteBytes(dir_.File("effect.wav"), file);
    return device_.LoadWave(dir_.File("effect.wav").c_str());
  }
  // The bytes the effect's buffer holds.
  static Bytes Held(const SoundEffect& effect) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    if (effect.buffer()->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, 0) != DS_OK) return {};
    Bytes copy(static_cast<std::uint8_t*>(first), static_cast<std::uint8_t*>(first) + firstBytes);
    effect.buffer()->Unlock(first, firstBytes, second, secondBytes);
    return copy;
  }
  // The file's format record; size 0 when it is refused.
  static WaveFormatRecord FormatOf(const std::string& path) {
    WaveFormatRecord record;
    HMMIO file = mmioOpenA(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    EXPECT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    if (!ReadWaveFormat(file, riff, record)) record.size = 0;
    mmioClose(file, 0);
    return record;
  }
  std::vector<Op> CallsSince(std::size_t from) {
    std::vector<Op> ops;
    for (std::size_t i = from; i < rig_.backend().soundCalls().size(); ++i) {
      ops.push_back(rig_.backend().soundCalls()[i].call.op);
    }
    return ops;
  }

  DisplayRig rig_;
  TempDir dir_;
  SoundDevice device_;
};

TEST_F(SoundTest, ChunksInEitherOrderAndTheFormatRecord) {
  const Bytes samples = Samples(1001);
  SoundEffect plain = Load(Riff({{"fmt ", Format(1, 1, 11025, 8)}, {"data", samples}}));
  ASSERT_TRUE(plain.Loaded());
  EXPECT_EQ(Held(plain), samples);
  // "data" first, chunks around it, a pad byte, and a PCM "fmt " longer than
  // 16 bytes, whose trailing bytes are not extra bytes.
  SoundEffect reordered = Load(Riff({{"LIST", Bytes(7, 'x')},
                                     {"data", samples},
                                     {"junk", Bytes(3, 0)},
                                     {"fmt ", Format(1, 2, 22050, 16, {4, 0, 9, 9})}}));
  ASSERT_TRUE(reordered.Loaded());
  EXPECT_EQ(Held(reordered), samples);
  EXPECT_EQ(FormatOf(dir_.File("effect.wav")).size, 18u);
  plain.Release();
  reordered.Release();

  // Other formats carry their extra size and bytes into the record, as far
  // as the chunk holds them.
  const std::string other = dir_.File("adpcm.wav");
  WriteBytes(other,
             Riff({{"fmt ", Format(2, 1, 8000, 4, {4, 0, 0xA1, 0xB2, 0xC3, 0xD4})}, {"data", samples}}));
  const WaveFormatRecord record = FormatOf(other);
  ASSERT_EQ(record.size, 22u);
  EXPECT_EQ(record.format()->cbSize, 4);
  EXPECT_EQ(record.extra()[3], 0xD4);
  WriteBytes(other, Riff({{"fmt ", Format(2, 1, 8000, 4, {5, 0, 1, 2, 3, 4})}, {"data", samples}}));
  EXPECT_EQ(FormatOf(other).size, 0u);
}

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
      {Riff({{"fmt ", Format(2, 1, 8000, 4, {0, 0})}, {"data", data}}), "not PCM"},
      {Riff({{"fmt ", fmt}, {"data", data, 0x7FFFFFF0}}), "data size past the file"},
      {Riff({{"fmt ", fmt, 0xFFFFFFF0}, {"data", data}}), "fmt size past the file"},
      {Riff({{"fmt ", fmt}, {"data", {}}}), "empty data"}};
  for (const auto& [file, why] : cases) {
    const std::size_t calls = rig_.backend().soundCalls().size();
    const int files = OpenFileCount();
    EXPECT_FALSE(Load(file).Loaded()) << why;
    EXPECT_EQ(OpenFileCount(), files) << why;
    const std::vector<Op> ops = CallsSince(calls);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), Op::Create), std::count(ops.begin(), ops.end(), Op::Release))
        << why;
  }
  EXPECT_FALSE(device_.LoadWave(dir_.File("missing.wav").c_str()).Loaded());
}

TEST_F(SoundTest, WavesWrittenBySox) {
  if (!HaveProgram("sox")) GTEST_SKIP() << "SoX is not installed";
  const std::string path = dir_.File("sox.wav");
  struct Case {
    const char *options, *seconds;
    std::size_t bytes;
  };
  // 0.25 s at 8000 Hz mono 16-bit; 0.1 s at 11025 Hz is 1103 stereo 8-bit frames.
  for (const Case& c :
       {Case{"-r 8000 -c 1 -b 16", "0.25", 4000}, {"-r 11025 -c 2 -b 8 -e unsigned", "0.1", 2206}}) {
    ASSERT_TRUE(
        RunTool(std::string("sox -n ") + c.options + " '" + path + "' synth " + c.seconds + " sine 440"));
    const Bytes file = ReadBytes(path);
    SoundEffect effect = device_.LoadWave(path.c_str());
    ASSERT_TRUE(effect.Loaded()) << c.options;
    ASSERT_EQ(Held(effect).size(), c.bytes);  // SoX writes "data" last
    EXPECT_TRUE(
        std::equal(file.end() - static_cast<std::ptrdiff_t>(c.bytes), file.end(), Held(effect).begin()));
    effect.Release();
  }
  // A-law: tag 6, an empty extra part and a "fact" chunk; only PCM plays.
  ASSERT_TRUE(RunTool("sox -n -r 8000 -e a-law '" + path + "' synth 0.1 sine 300"));
  const WaveFormatRecord alaw = FormatOf(path);
  ASSERT_EQ(alaw.size, 18u);
  EXPECT_EQ(alaw.format()->wFormatTag, 6);
  EXPECT_FALSE(device_.LoadWave(path.c_str()).Loaded());
}

// The dot effect is rewound before each play and restarts; the ghost
// effect is only played and runs on.
class MixedSoundTest : public SoundTest {
 protected:
  MixedSoundTest() : SoundTest(platform::HeadlessOptions{.mixAudio = true, .audioRate = 8000}) {}
};

TEST_F(MixedSoundTest, RewindRestartsAndPlayAloneRunsOn) {
  Bytes ramp;
  for (std::uint32_t i = 0; i < 4000; ++i) PutLe(ramp, i * 4, 2);
  for (const bool rewind : {true, false}) {
    SoundEffect effect = Load(Riff({{"fmt ", Format(1, 1, 8000, 16)}, {"data", ramp}}));
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
  DisplayRig rig(platform::HeadlessOptions{.soundDevice = false});
  TempDir dir;
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
