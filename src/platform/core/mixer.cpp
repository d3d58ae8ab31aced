// Static voices converted once to the device's format, summed, scaled by
// the volume and clipped. Callers hold the back end's audio lock around every call, since
// Mix runs on the device's thread.
#include "platform/mixer.h"

#include <algorithm>
#include <cstring>

#include "platform/dsound.h"

namespace platform {

Voice::Voice(int id, const WAVEFORMATEX& format, std::uint32_t bytes)
    : id_(id),
      channels_(format.nChannels),
      rate_(format.nSamplesPerSec),
      bits_(format.wBitsPerSample),
      raw_(bytes) {}

Mixer::Mixer(int outputRate) : outputRate_(outputRate) {}

std::shared_ptr<Voice> Mixer::CreateVoice(const WAVEFORMATEX& format, std::uint32_t bytes) {
  auto voice = std::make_shared<Voice>(nextId_++, format, bytes);
  voices_.push_back(voice);
  return voice;
}

namespace {

// One sample of the raw data as a signed 16-bit value.
int RawSample(const std::uint8_t* frame, int channel, int bits) {
  if (bits == 8) return (static_cast<int>(frame[channel]) - 128) * 256;
  const std::uint8_t* p = frame + channel * 2;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

}  // namespace

// Linear interpolation in exact integer steps, so the length is always
// frames x outputRate / inputRate rounded down and nothing of the tail is lost.
void Mixer::Convert(Voice& voice) {
  const int bytesPerFrame = voice.channels_ * voice.bits_ / 8;
  voice.converted_.clear();
  if (bytesPerFrame <= 0 || voice.rate_ == 0 || outputRate_ <= 0) {
    voice.position = 0;
    return;
  }
  const std::uint64_t inFrames = voice.raw_.size() / static_cast<std::size_t>(bytesPerFrame);
  const std::uint64_t inRate = voice.rate_;
  const std::uint64_t outRate = static_cast<std::uint64_t>(outputRate_);
  const std::uint64_t outFrames = inFrames * outRate / inRate;
  voice.converted_.resize(static_cast<std::size_t>(outFrames) * 2);
  const std::uint8_t* raw = voice.raw_.data();
  for (std::uint64_t j = 0; j < outFrames; ++j) {
    const std::uint64_t where = j * inRate;
    const std::uint64_t i = where / outRate;
    const std::int64_t fraction = static_cast<std::int64_t>(where % outRate);
    const std::uint64_t next = i + 1 < inFrames ? i + 1 : i;
    for (int channel = 0; channel < 2; ++channel) {
      const int source = voice.channels_ == 1 ? 0 : channel;
      const std::int64_t a = RawSample(raw + i * bytesPerFrame, source, voice.bits_);
      const std::int64_t b = RawSample(raw + next * bytesPerFrame, source, voice.bits_);
      const std::int64_t value = a + (b - a) * fraction / static_cast<std::int64_t>(outRate);
      voice.converted_[static_cast<std::size_t>(j) * 2 + channel] = static_cast<std::int16_t>(value);
    }
  }
  voice.position = std::min(voice.position, static_cast<std::size_t>(outFrames));
}

void Mixer::Play(Voice& voice) {
  if (voice.released || voice.playing) return;
  const std::size_t length = voice.converted_.size() / 2;
  if (voice.position >= length) voice.position = 0;
  voice.playing = length > 0;
}

void Mixer::Rewind(Voice& voice, std::uint32_t bytePosition) {
  const int bytesPerFrame = voice.channels_ * voice.bits_ / 8;
  if (bytesPerFrame <= 0 || voice.rate_ == 0) return;
  const std::uint64_t inFrame = bytePosition / static_cast<std::uint32_t>(bytesPerFrame);
  const std::uint64_t outFrame = inFrame * static_cast<std::uint64_t>(outputRate_) / voice.rate_;
  voice.position = std::min(static_cast<std::size_t>(outFrame), voice.converted_.size() / 2);
}

void Mixer::Release(Voice& voice) {
  voice.playing = false;
  voice.released = true;
  voices_.erase(std::remove_if(voices_.begin(), voices_.end(),
                               [&voice](const std::shared_ptr<Voice>& held) { return held.get() == &voice; }),
                voices_.end());
}

void Mixer::Mix(std::int16_t* out, int frames) {
  constexpr int kChunk = 256;
  std::int32_t sum[kChunk * 2];
  while (frames > 0) {
    const int count = std::min(frames, kChunk);
    std::fill(sum, sum + count * 2, 0);
    for (const auto& voice : voices_) {
      if (!voice->playing) continue;
      const std::size_t length = voice->converted_.size() / 2;
      const std::size_t take = std::min(static_cast<std::size_t>(count), length - voice->position);
      const std::int16_t* samples = voice->converted_.data() + voice->position * 2;
      for (std::size_t k = 0; k < take * 2; ++k) sum[k] += samples[k];
      voice->position += take;
      if (voice->position >= length) voice->playing = false;
    }
    // Scaling the sum before clipping: a lower volume never clips more
    // than the full one does.
    if (volume_ != kFullVolume) {
      for (int k = 0; k < count * 2; ++k) sum[k] = sum[k] * volume_ / kFullVolume;
    }
    for (int k = 0; k < count * 2; ++k) {
      out[k] = static_cast<std::int16_t>(std::clamp(sum[k], -32768, 32767));
    }
    out += count * 2;
    frames -= count;
  }
}

void Mixer::SetVolume(int tenths) { volume_ = std::clamp(tenths, 0, kFullVolume); }

int Mixer::PlayingCount() const {
  return static_cast<int>(std::count_if(voices_.begin(), voices_.end(),
                                        [](const std::shared_ptr<Voice>& voice) { return voice->playing; }));
}

}  // namespace platform
