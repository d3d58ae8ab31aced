// The built sounds: their WAVE layout, lengths, levels and clean ends, and
// the game's own loader playing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "data_test_support.h"
#include "sound/sound_device.h"
#include "support/headless_env.h"

namespace datatest {
namespace {

constexpr int kRate = 22050;

struct Wave {
  std::vector<std::int16_t> samples;
  double Seconds() const { return static_cast<double>(samples.size()) / kRate; }
  int Peak() const {
    int peak = 0;
    for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
  }
};

// Checks the one layout the tool writes: a 44-byte header, mono 16-bit PCM at 22050 Hz.
Wave ReadWave(const std::string& path) {
  const Bytes file = ReadBytes(path);
  Wave wave;
  EXPECT_GE(file.size(), 46u) << path;
  if (file.size() < 46) return wave;
  const Bytes format = {'W',  'A',  'V', 'E', 'f',  'm',  't', ' ', 16, 0, 0,  0, 1,   0,   1,   0,
                        0x22, 0x56, 0,   0,   0x44, 0xAC, 0,   0,   2,  0, 16, 0, 'd', 'a', 't', 'a'};
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF") << path;
  EXPECT_EQ(Le(file, 4), file.size() - 8) << path;
  EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 40), format) << path;
  EXPECT_EQ(Le(file, 40), file.size() - 44) << path;
  for (std::size_t at = 44; at + 1 < file.size(); at += 2)
    wave.samples.push_back(static_cast<std::int16_t>(Le(file, at, 2)));
  return wave;
}

const struct {
  const char* name;
  double shortest;
  double longest;
} kSounds[] = {
    {"eat_dot.wav", 0.03, 0.2}, {"eat_Ghost.wav", 0.25, 0.35},   {"extramog.wav", 0.8, 1.2},
    {"Killed.wav", 1.3, 1.5},   {"GAMEBEGINNING.wav", 2.0, 4.9}, {"interm.wav", 3.0, 4.0},
};

// Each fits where the game plays it, is loud enough to hear, stays below full
// scale, starts and ends at silence so no start or restart clicks, and the
// game's own device plays it for its length.
TEST(SoundFiles, FitTheirMomentsAndTheGamePlaysEachForItsLength) {
  platform::HeadlessOptions options;
  options.mixAudio = true;
  support::HeadlessEnv env(options);
  SoundDevice device;
  ASSERT_TRUE(device.Open(nullptr));
  for (const auto& sound : kSounds) {
    const Wave wave = ReadWave(DataFile(sound.name));
    ASSERT_GT(wave.samples.size(), 100u) << sound.name;
    EXPECT_GE(wave.Seconds(), sound.shortest) << sound.name;
    EXPECT_LE(wave.Seconds(), sound.longest) << sound.name;
    EXPECT_GT(wave.Peak(), 32767 / 4) << sound.name;
    EXPECT_LT(wave.Peak(), 32767 * 9 / 10) << sound.name;
    EXPECT_LE(std::abs(wave.samples.front()), 64) << sound.name;
    EXPECT_LE(std::abs(wave.samples.back()), 64) << sound.name;

    const int ms = static_cast<int>(wave.Seconds() * 1000);
    SoundEffect effect = device.LoadWave(DataFile(sound.name).c_str());
    ASSERT_TRUE(effect.Loaded()) << sound.name;
    effect.Play();
    env->Advance(static_cast<std::uint32_t>(ms * 8 / 10));
    EXPECT_TRUE(effect.buffer()->IsPlaying()) << sound.name;
    env->Advance(static_cast<std::uint32_t>(ms * 2 / 10 + 100));
    EXPECT_FALSE(effect.buffer()->IsPlaying()) << sound.name;
    effect.Release();
  }
  device.Close();
}

}  // namespace
}  // namespace datatest
