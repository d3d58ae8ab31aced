#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/dsound.h"
#include "platform/mixer.h"
#include "support/headless_env.h"

namespace {

using platform::Mixer;
using support::HeadlessEnv;
using Samples = std::vector<std::int16_t>;

WAVEFORMATEX Format(WORD channels, DWORD rate, WORD bits) {
  const auto align = static_cast<WORD>(channels * bits / 8);
  return {WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

std::shared_ptr<platform::Voice> Voice16(Mixer& mixer, WORD channels, DWORD rate, const Samples& samples) {
  auto voice = mixer.CreateVoice(Format(channels, rate, 16), static_cast<std::uint32_t>(samples.size() * 2));
  std::memcpy(voice->raw().data(), samples.data(), samples.size() * 2);
  mixer.Convert(*voice);
  return voice;
}

TEST(MixerTest, ConversionKeepsTheExactLengthAndMapsEveryFormatToStereo16Bit) {
  const std::pair<DWORD, int> rates[] = {{11025, 44100}, {48000, 44100}, {44100, 44100},
                                         {8000, 48000},  {4000, 44100},  {22050, 48000}};
  for (const auto& [in, out] : rates) {
    for (std::size_t frames : {1, 3, 1001}) {
      Mixer mixer(out);
      EXPECT_EQ(Voice16(mixer, 1, in, Samples(frames))->converted().size(), 2 * (frames * out / in))
          << frames << " frames " << in << " -> " << out;
    }
  }
  Mixer mixer(22050);
  EXPECT_EQ(Voice16(mixer, 2, 22050, {1000, -2000, 32767, -32768, 5})->converted(),
            (Samples{1000, -2000, 32767, -32768}))
      << "a trailing partial frame is not a frame";
  auto eight = mixer.CreateVoice(Format(1, 22050, 8), 3);
  eight->raw() = {0x80, 0xFF, 0x00};
  mixer.Convert(*eight);
  EXPECT_EQ(eight->converted(), (Samples{0, 0, 32512, 32512, -32768, -32768}));
  // Doubling the rate puts the midpoint between neighbours and holds the last.
  Mixer faster(44100);
  EXPECT_EQ(Voice16(faster, 1, 22050, {0, 100, -100})->converted(),
            (Samples{0, 0, 50, 50, 100, 100, 0, 0, -100, -100, -100, -100}));
}

TEST(MixerTest, PlayingVoicesAreSummedScaledByTheVolumeAndClipped) {
  // {volume asked for, then what sums of -20000, -60000 and 40000 come out as}
  const int cases[][4] = {{10, -20000, -32768, 32767}, {7, -14000, -32768, 28000},
                          {5, -10000, -30000, 20000},  {0, 0, 0, 0},
                          {12, -20000, -32768, 32767}, {-1, 0, 0, 0}};
  for (const auto& [volume, sum1, sum2, sum3] : cases) {
    Mixer mixer(44100);
    mixer.SetVolume(volume);
    std::vector<std::shared_ptr<platform::Voice>> voices;
    for (const auto& [value, frames] :
         {std::pair<std::int16_t, std::size_t>{20000, 300}, {20000, 300}, {-30000, 600}, {-30000, 600}}) {
      voices.push_back(Voice16(mixer, 1, 44100, Samples(frames, value)));
      mixer.Play(*voices.back());
    }
    Samples out(2 * 1000, 12345);
    mixer.Mix(out.data(), 1000);
    EXPECT_EQ(out[2 * 299 + 1], sum1) << volume;  // 20000 + 20000 - 30000 - 30000
    EXPECT_EQ(out[2 * 300], sum2) << volume << ": -60000, clipped at full volume";
    EXPECT_EQ(out[2 * 600], 0) << "silence once nothing plays, whatever was in the buffer";
    EXPECT_EQ(mixer.PlayingCount(), 0);
    mixer.Play(*voices[0]);
    mixer.Play(*voices[1]);
    mixer.Mix(out.data(), 10);
    EXPECT_EQ(out[0], sum3) << volume << ": 40000, clipped at full volume";
  }
}

class SoundDeviceTest : public ::testing::Test {
 protected:
  HeadlessEnv env_{{.clockStart = 0x1000, .mixAudio = true, .audioRate = 44100, .recordSoundCalls = true}};
  IDirectSound* device_ = nullptr;

  void SetUp() override { ASSERT_EQ(DirectSoundCreate(nullptr, &device_, nullptr), DS_OK); }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
  }

  HRESULT Create(WAVEFORMATEX format, DWORD flags, DWORD bytes, IDirectSoundBuffer** buffer) {
    DSBUFFERDESC desc{20, flags, bytes, 0, &format};
    return device_->CreateSoundBuffer(&desc, buffer, nullptr);
  }

  // 16-bit mono at the device rate, sample k = first + k, so the stream
  // shows exactly which frame of the buffer was heard when.
  IDirectSoundBuffer* MakeRamp(std::int16_t first, std::uint32_t frames) {
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(Create(Format(1, 44100, 16), DSBCAPS_STATIC, frames * 2, &buffer), DS_OK);
    void* region = nullptr;
    DWORD regionBytes = 0;
    void* second = &regionBytes;
    DWORD secondBytes = 99;
    EXPECT_EQ(buffer->Lock(0, frames * 2, &region, &regionBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(regionBytes, frames * 2);
    EXPECT_TRUE(second == nullptr && secondBytes == 0) << "a static buffer is locked in one piece";
    auto* samples = static_cast<std::int16_t*>(region);
    for (std::uint32_t k = 0; k < frames; ++k) samples[k] = static_cast<std::int16_t>(first + k);
    buffer->Unlock(region, regionBytes, second, secondBytes);
    return buffer;
  }

  // The left sample heard at stream frame `frame`.
  std::int16_t Heard(std::size_t frame) { return env_->audio()[2 * frame]; }
  std::size_t FramesSoFar() { return env_->audio().size() / 2; }
};

TEST_F(SoundDeviceTest, PlayRewindAndReleaseFollowTheRulesAndEveryCallIsRecorded) {
  IDirectSoundBuffer* ramp = MakeRamp(1, 1000);
  ramp->Play(0, 0, 0);
  Sleep(10);  // 441 frames
  EXPECT_EQ(Heard(440), 441);
  ramp->Play(0, 0, 0);
  Sleep(10);
  EXPECT_EQ(Heard(441), 442) << "Play on a playing buffer leaves it where it is";
  ramp->SetCurrentPosition(0);
  Sleep(10);
  EXPECT_EQ(Heard(882), 1) << "back to the start, still playing";
  Sleep(100);
  EXPECT_FALSE(ramp->IsPlaying());
  EXPECT_EQ(Heard(882 + 999), 1000);
  EXPECT_EQ(Heard(882 + 1000), 0);
  const std::size_t restart = FramesSoFar();
  ramp->Play(0, 0, 0);
  Sleep(1);
  EXPECT_EQ(Heard(restart), 1) << "a finished buffer plays again from its start";
  ramp->Release();
  const std::size_t released = FramesSoFar();
  Sleep(1);
  EXPECT_EQ(Heard(released), 0) << "releasing a playing buffer silences it";

  using Op = platform::SoundCall::Op;
  std::vector<std::pair<Op, std::uint32_t>> calls;
  for (const auto& recorded : env_->soundCalls()) calls.emplace_back(recorded.call.op, recorded.time);
  EXPECT_EQ(calls, (std::vector<std::pair<Op, std::uint32_t>>{{Op::Create, 0x1000},
                                                              {Op::Play, 0x1000},
                                                              {Op::Play, 0x100A},
                                                              {Op::Rewind, 0x1014},
                                                              {Op::Play, 0x1082},
                                                              {Op::Release, 0x1083}}));
}

TEST_F(SoundDeviceTest, OnlyStaticPcmBuffersOfSupportedFormatsAreCreated) {
  WAVEFORMATEX notPcm = Format(1, 22050, 16);
  notPcm.wFormatTag = 3;
  WAVEFORMATEX badAlign = Format(2, 22050, 16);
  badAlign.nBlockAlign = 2;
  const WAVEFORMATEX mono = Format(1, 22050, 16);
  const std::tuple<WAVEFORMATEX, DWORD, DWORD, bool> cases[] = {
      {Format(1, 11025, 8), DSBCAPS_STATIC, 1, true},
      {Format(2, 48000, 16), DSBCAPS_STATIC, 4000, true},
      {Format(1, 4000, 16), DSBCAPS_STATIC, 2, true},
      {notPcm, DSBCAPS_STATIC, 100, false},
      {Format(1, 22050, 24), DSBCAPS_STATIC, 99, false},
      {Format(3, 22050, 16), DSBCAPS_STATIC, 60, false},
      {Format(1, 3999, 16), DSBCAPS_STATIC, 100, false},
      {Format(1, 48001, 16), DSBCAPS_STATIC, 100, false},
      {badAlign, DSBCAPS_STATIC, 100, false},
      {mono, DSBCAPS_STATIC, 0, false},
      {mono, 0, 100, false},
      {mono, DSBCAPS_STATIC | 0x80, 100, false},
  };
  for (const auto& [format, flags, bytes, accepted] : cases) {
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(Create(format, flags, bytes, &buffer) == DS_OK, accepted)
        << format.wBitsPerSample << " bits " << format.nSamplesPerSec << " Hz, " << bytes << " bytes";
    EXPECT_EQ(buffer != nullptr, accepted);
    if (buffer != nullptr) buffer->Release();
  }
}

TEST_F(SoundDeviceTest, ReleasingTheDeviceClosesTheOutputAndLeavesBuffersSafe) {
  IDirectSoundBuffer* ramp = MakeRamp(5, 1000);
  ramp->Play(0, 0, 0);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  EXPECT_FALSE(env_->audioOpen());
  const std::size_t closed = FramesSoFar();
  Sleep(2);
  EXPECT_EQ(Heard(closed + 10), 0) << "silence keeps the stream in step with time";
  ramp->Play(0, 0, 0);
  ramp->SetCurrentPosition(0);
  EXPECT_EQ(ramp->Release(), 0u);
}

TEST(SoundTest, NoDeviceMeansDirectSoundCreateFails) {
  HeadlessEnv env({.soundDevice = false});
  IDirectSound* device = reinterpret_cast<IDirectSound*>(&env);
  EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(device, nullptr);
}

}  // namespace
