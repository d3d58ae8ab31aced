// The built sounds: their WAVE layout, lengths, levels and clean ends, the
// game's own loader playing them, and the sound tool on small recipes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data_test_support.h"
#include "platform/dsound.h"
#include "platform/win32.h"
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

// Checks the one layout the tool writes: a 44-byte header, mono 16-bit PCM.
Wave ReadWave(const std::string& path) {
  const Bytes file = ReadBytes(path);
  Wave wave;
  EXPECT_GE(file.size(), 46u) << path;
  if (file.size() < 46) return wave;
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(U32(file, 4), file.size() - 8);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(U32(file, 16), 16u);
  EXPECT_EQ(U16(file, 20), 1);  // PCM
  EXPECT_EQ(U16(file, 22), 1);  // mono
  EXPECT_EQ(U32(file, 24), static_cast<std::uint32_t>(kRate));
  EXPECT_EQ(U32(file, 28), static_cast<std::uint32_t>(kRate * 2));
  EXPECT_EQ(U16(file, 32), 2);
  EXPECT_EQ(U16(file, 34), 16);
  EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
  const std::uint32_t bytes = U32(file, 40);
  EXPECT_EQ(bytes, file.size() - 44);
  for (std::size_t at = 44; at + 1 < file.size(); at += 2)
    wave.samples.push_back(static_cast<std::int16_t>(U16(file, at)));
  return wave;
}

struct Expected {
  const char* name;
  double shortest;
  double longest;
};

const Expected kSounds[] = {
    {"eat_dot.wav", 0.03, 0.2}, {"eat_Ghost.wav", 0.25, 0.35},   {"extramog.wav", 0.8, 1.2},
    {"Killed.wav", 1.3, 1.5},   {"GAMEBEGINNING.wav", 2.0, 4.9}, {"interm.wav", 3.0, 4.0},
};

// Each fits where the game plays it, is loud enough to hear, stays below
// full scale, and starts and ends at silence so no start or restart clicks.
TEST(SoundFiles, LengthsLevelsAndQuietEnds) {
  for (const Expected& sound : kSounds) {
    const Wave wave = ReadWave(DataFile(sound.name));
    ASSERT_GT(wave.samples.size(), 100u) << sound.name;
    EXPECT_GE(wave.Seconds(), sound.shortest) << sound.name;
    EXPECT_LE(wave.Seconds(), sound.longest) << sound.name;
    EXPECT_GT(wave.Peak(), 32767 / 4) << sound.name;
    EXPECT_LT(wave.Peak(), 32767 * 9 / 10) << sound.name;
    EXPECT_LE(std::abs(wave.samples.front()), 64) << sound.name;
    EXPECT_LE(std::abs(wave.samples.back()), 64) << sound.name;
  }
}

TEST(SoundFiles, TheGameLoadsAndPlaysEachForItsLength) {
  platform::HeadlessOptions options;
  options.mixAudio = true;
  testsupport::HeadlessEnv env(options);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &DefWindowProcA;
  windowClass.lpszClassName = "ChompoDataTest";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "ChompoDataTest", "test", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                nullptr, nullptr, nullptr);
  SoundDevice device;
  ASSERT_TRUE(device.Open(window));
  for (const Expected& sound : kSounds) {
    const int ms = static_cast<int>(ReadWave(DataFile(sound.name)).Seconds() * 1000);
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

class SoundTool : public ::testing::Test {
 protected:
  ToolRun Make(const std::string& recipe) {
    WriteText(dir_.File("recipe.txt"), recipe);
    return RunTool(ToolPath("sounds", "sound_tool") + " " + dir_.File("recipe.txt") + " " +
                   dir_.File("out.wav"));
  }
  TempDir dir_;
};

TEST_F(SoundTool, SynthesisesTonesAtTheirPitchAndPlace) {
  const ToolRun run = Make(
      "peak 0.5\ntempo 120\nvoice v sine attack=0.01 release=0.01 gap=0\n"
      "notes v 0 441/4 r/4 882/4\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const Wave wave = ReadWave(dir_.File("out.wav"));
  ASSERT_EQ(wave.samples.size(), static_cast<std::size_t>(1.5 * kRate));
  EXPECT_NEAR(wave.Peak(), 32767 / 2, 2);
  auto crossings = [&](double from, double to) {
    int count = 0;
    for (auto n = static_cast<std::size_t>(from * kRate) + 1; n < static_cast<std::size_t>(to * kRate); ++n) {
      count += (wave.samples[n - 1] < 0) != (wave.samples[n] < 0);
    }
    return count;
  };
  EXPECT_NEAR(crossings(0.0, 0.5), 441, 3);  // 441 Hz for half a second
  EXPECT_EQ(crossings(0.55, 0.95), 0);       // the rest
  EXPECT_NEAR(crossings(1.0, 1.5), 882, 3);
}

TEST_F(SoundTool, RefusesFaultyRecipesNamingTheLine) {
  const struct {
    const char* recipe;
    const char* message;
  } faults[] = {
      {"tone 0 0.1 sine 440 attack=0.001\n", "recipe.txt line 1: attack below 2 ms would click"},
      {"peak 0.5\nbuzz 1\n", "recipe.txt line 2: unknown directive 'buzz'"},
      {"tempo 100\nnotes lead 0 A4/4\n", "recipe.txt line 2: unknown voice 'lead'"},
      {"length 0.5\ntone 0.4 0.2 sine A4\n", "recipe.txt line 2: tone ends after the sound's length"},
  };
  for (const auto& fault : faults) {
    const ToolRun run = Make(fault.recipe);
    EXPECT_EQ(run.status, 1) << fault.recipe;
    EXPECT_NE(run.output.find(fault.message), std::string::npos) << fault.recipe << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.wav"))) << fault.recipe;
  }
}

}  // namespace
}  // namespace datatest
