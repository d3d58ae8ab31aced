#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dsound.h"
#include "platform/mixer.h"
#include "support/headless_env.h"

namespace {

using platform::Mixer;
using platform::SoundCall;
using testsupport::HeadlessEnv;

WAVEFORMATEX Format(WORD channels, DWORD rate, WORD bits) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = bits;
  format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  format.nAvgBytesPerSec = rate * format.nBlockAlign;
  return format;
}

TEST(MixerTest, ConversionKeepsTheExactLengthAtEveryRate) {
  struct Case {
    DWORD inRate;
    int outRate;
    std::uint32_t frames;
    std::size_t expected;
  };
  for (const Case& c : {Case{11025, 44100, 1001, 4004}, Case{22050, 44100, 1001, 2002},
                        Case{48000, 44100, 1000, 918}, Case{44100, 44100, 777, 777}, Case{8000, 48000, 3, 18},
                        Case{4000, 44100, 1, 11}, Case{22050, 48000, 7, 15}}) {
    Mixer mixer(c.outRate);
    auto voice = mixer.CreateVoice(Format(1, c.inRate, 16), c.frames * 2);
    mixer.Convert(*voice);
    EXPECT_EQ(voice->converted().size(), c.expected * 2) << c.inRate << " -> " << c.outRate;
  }
  // A trailing partial frame is not a frame.
  Mixer mixer(44100);
  auto voice = mixer.CreateVoice(Format(2, 44100, 16), 4 * 10 + 3);
  mixer.Convert(*voice);
  EXPECT_EQ(voice->converted().size(), 20u);
}

TEST(MixerTest, ConversionMapsSampleFormatsAndChannelsToStereo16Bit) {
  Mixer mixer(22050);
  auto eight = mixer.CreateVoice(Format(1, 22050, 8), 3);
  eight->raw() = {0x80, 0xFF, 0x00};
  mixer.Convert(*eight);
  EXPECT_EQ(eight->converted(), (std::vector<std::int16_t>{0, 0, 32512, 32512, -32768, -32768}));

  auto stereo = mixer.CreateVoice(Format(2, 22050, 16), 8);
  const std::int16_t samples[4] = {1000, -2000, 32767, -32768};
  std::memcpy(stereo->raw().data(), samples, 8);
  mixer.Convert(*stereo);
  EXPECT_EQ(stereo->converted(), (std::vector<std::int16_t>{1000, -2000, 32767, -32768}));

  // Doubling the rate puts the midpoint between neighbours and holds the last.
  Mixer faster(44100);
  auto ramp = faster.CreateVoice(Format(1, 22050, 16), 6);
  const std::int16_t rampSamples[3] = {0, 100, -100};
  std::memcpy(ramp->raw().data(), rampSamples, 6);
  faster.Convert(*ramp);
  EXPECT_EQ(ramp->converted(),
            (std::vector<std::int16_t>{0, 0, 50, 50, 100, 100, 0, 0, -100, -100, -100, -100}));
}

TEST(MixerTest, PlayingVoicesAreSummedWithClipping) {
  Mixer mixer(44100);
  auto constant = [&mixer](std::int16_t value, std::uint32_t frames) {
    auto voice = mixer.CreateVoice(Format(1, 44100, 16), frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) std::memcpy(voice->raw().data() + 2 * i, &value, 2);
    mixer.Convert(*voice);
    mixer.Play(*voice);
    return voice;
  };
  auto loudA = constant(20000, 300);
  auto loudB = constant(20000, 300);
  auto quiet = constant(-30000, 600);
  std::vector<std::int16_t> out(2 * 1000, 12345);
  mixer.Mix(out.data(), 1000);
  EXPECT_EQ(out[0], 10000);  // 20000 + 20000 - 30000
  EXPECT_EQ(out[2 * 299 + 1], 10000);
  EXPECT_EQ(out[2 * 300], -30000);
  EXPECT_EQ(out[2 * 599], -30000);
  EXPECT_EQ(out[2 * 600], 0) << "silence once nothing plays, whatever was in the buffer";
  EXPECT_EQ(mixer.PlayingCount(), 0);

  mixer.Play(*loudA);
  mixer.Play(*loudB);
  out.assign(2 * 10, 0);
  mixer.Mix(out.data(), 10);
  EXPECT_EQ(out[0], 32767) << "20000 + 20000 clipped";
  EXPECT_EQ(mixer.PlayingCount(), 2);

  Mixer other(44100);
  for (int i = 0; i < 2; ++i) {
    auto voice = other.CreateVoice(Format(1, 44100, 8), 4);
    voice->raw() = {0x00, 0x00, 0x00, 0x00};  // the most negative 8-bit sample
    other.Convert(*voice);
    other.Play(*voice);
  }
  other.Mix(out.data(), 4);
  EXPECT_EQ(out[0], -32768) << "-32768 - 32768 clipped";
  EXPECT_EQ(out[7], -32768);
}

class SoundDeviceTest : public ::testing::Test {
 protected:
  HeadlessEnv env_{{.clockStart = 0x1000, .mixAudio = true, .audioRate = 44100}};
  IDirectSound* device_ = nullptr;

  void SetUp() override { ASSERT_EQ(DirectSoundCreate(nullptr, &device_, nullptr), DS_OK); }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
  }

  // 16-bit mono at the device rate, sample k = first + k, so the stream
  // shows exactly which frame of the buffer was heard when.
  IDirectSoundBuffer* MakeRamp(std::int16_t first, std::uint32_t frames) {
    WAVEFORMATEX format = Format(1, 44100, 16);
    DSBUFFERDESC desc{};
    desc.dwSize = 20;
    desc.dwFlags = DSBCAPS_STATIC;
    desc.dwBufferBytes = frames * 2;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    void* region = nullptr;
    DWORD regionBytes = 0;
    void* second = reinterpret_cast<void*>(1);
    DWORD secondBytes = 99;
    EXPECT_EQ(buffer->Lock(0, frames * 2, &region, &regionBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(regionBytes, frames * 2);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(secondBytes, 0u);
    for (std::uint32_t k = 0; k < frames; ++k) {
      const auto value = static_cast<std::int16_t>(first + k);
      std::memcpy(static_cast<char*>(region) + 2 * k, &value, 2);
    }
    buffer->Unlock(region, regionBytes, second, secondBytes);
    return buffer;
  }

  // The left sample heard at stream frame `frame`.
  std::int16_t Heard(std::size_t frame) const { return env_->audio()[2 * frame]; }
  std::size_t FramesSoFar() const { return env_->audio().size() / 2; }
};

TEST_F(SoundDeviceTest, PlayingAgainGoesOnAndAFinishedBufferStartsOver) {
  IDirectSoundBuffer* ramp = MakeRamp(1, 1000);
  ramp->Play(0, 0, 0);
  Sleep(10);  // 441 frames
  EXPECT_TRUE(ramp->IsPlaying());
  EXPECT_EQ(Heard(0), 1);
  EXPECT_EQ(Heard(440), 441);
  ramp->Play(0, 0, 0);
  Sleep(10);
  EXPECT_EQ(Heard(441), 442) << "Play on a playing buffer leaves it where it is";
  ramp->SetCurrentPosition(0);
  Sleep(10);
  EXPECT_EQ(Heard(882), 1) << "back to the start, still playing";
  EXPECT_EQ(Heard(883), 2);
  Sleep(100);
  EXPECT_FALSE(ramp->IsPlaying());
  EXPECT_EQ(Heard(882 + 999), 1000);
  EXPECT_EQ(Heard(882 + 1000), 0);
  const std::size_t restart = FramesSoFar();
  ramp->Play(0, 0, 0);
  Sleep(1);
  EXPECT_EQ(Heard(restart), 1) << "a finished buffer plays again from its start";
  ramp->Release();
}

TEST_F(SoundDeviceTest, BuffersPlayTogetherAndReleasingOneSilencesIt) {
  IDirectSoundBuffer* a = MakeRamp(10000, 2000);
  IDirectSoundBuffer* b = MakeRamp(2000, 2000);
  a->Play(0, 0, 0);
  b->Play(0, 0, 0);
  Sleep(10);
  EXPECT_EQ(Heard(0), 12000);
  EXPECT_EQ(Heard(440), 12880);
  a->Release();
  const std::size_t after = FramesSoFar();
  Sleep(1);
  EXPECT_EQ(Heard(after), 2000 + static_cast<std::int16_t>(after)) << "only the other buffer is left";
  b->Release();
  const std::size_t silent = FramesSoFar();
  Sleep(1);
  EXPECT_EQ(Heard(silent), 0);
}

TEST_F(SoundDeviceTest, EveryCallIsRecordedWithItsTime) {
  IDirectSoundBuffer* ramp = MakeRamp(1, 100);
  Sleep(5);
  ramp->SetCurrentPosition(0);
  ramp->Play(0, 0, 0);
  Sleep(5);
  ramp->Release();
  const auto& calls = env_->soundCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].call.op, SoundCall::Op::Create);
  EXPECT_EQ(calls[0].call.bytes, 200u);
  EXPECT_EQ(calls[0].time, 0x1000u);
  EXPECT_EQ(calls[1].call.op, SoundCall::Op::Rewind);
  EXPECT_EQ(calls[2].call.op, SoundCall::Op::Play);
  EXPECT_EQ(calls[2].time, 0x1005u);
  EXPECT_EQ(calls[3].call.op, SoundCall::Op::Release);
  EXPECT_EQ(calls[3].time, 0x100Au);
  for (const auto& call : calls) EXPECT_EQ(call.call.bufferId, calls[0].call.bufferId);
}

TEST_F(SoundDeviceTest, OnlyStaticPcmBuffersOfSupportedFormatsAreCreated) {
  struct Case {
    WAVEFORMATEX format;
    DWORD flags;
    DWORD bytes;
    bool accepted;
  };
  WAVEFORMATEX notPcm = Format(1, 22050, 16);
  notPcm.wFormatTag = 3;
  WAVEFORMATEX badAlign = Format(2, 22050, 16);
  badAlign.nBlockAlign = 2;
  const Case cases[] = {
      {Format(1, 11025, 8), DSBCAPS_STATIC, 1, true},
      {Format(2, 48000, 16), DSBCAPS_STATIC, 4000, true},
      {Format(1, 4000, 16), DSBCAPS_STATIC, 2, true},
      {notPcm, DSBCAPS_STATIC, 100, false},
      {Format(1, 22050, 24), DSBCAPS_STATIC, 99, false},
      {Format(3, 22050, 16), DSBCAPS_STATIC, 60, false},
      {Format(1, 3999, 16), DSBCAPS_STATIC, 100, false},
      {Format(1, 48001, 16), DSBCAPS_STATIC, 100, false},
      {badAlign, DSBCAPS_STATIC, 100, false},
      {Format(1, 22050, 16), DSBCAPS_STATIC, 0, false},
      {Format(1, 22050, 16), 0, 100, false},
      {Format(1, 22050, 16), DSBCAPS_STATIC | 0x80, 100, false},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX format = c.format;
    DSBUFFERDESC desc{};
    desc.dwSize = 20;
    desc.dwFlags = c.flags;
    desc.dwBufferBytes = c.bytes;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    const HRESULT result = device_->CreateSoundBuffer(&desc, &buffer, nullptr);
    EXPECT_EQ(result == DS_OK, c.accepted)
        << format.wBitsPerSample << " bits " << format.nSamplesPerSec << " Hz";
    EXPECT_EQ(buffer != nullptr, c.accepted);
    if (buffer != nullptr) buffer->Release();
  }
}

TEST_F(SoundDeviceTest, ReleasingTheDeviceClosesTheOutputAndLeavesBuffersSafe) {
  IDirectSoundBuffer* ramp = MakeRamp(5, 1000);
  ramp->Play(0, 0, 0);
  EXPECT_TRUE(env_->audioOpen());
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
