// The input as a WAV file, loaded the way the catalogue loads its effects,
// then played to its end through the headless mixer, rewound and started
// again, so whatever the loader accepted is converted and mixed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/headless/headless_backend.h"
#include "sound/sound_device.h"
#include "support/backend_scope.h"

namespace {

constexpr char kFileName[] = "input.wav";
constexpr std::uint32_t kStepMs = 50;
// Longer than any input within the fuzzing length limit plays.
constexpr std::uint32_t kLongestPlayMs = 60000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzsupport::InWorkFolder here;
  fuzzsupport::WriteInput(kFileName, data, size);
  // A fresh back end per input: its recorded calls and mixed stream would
  // otherwise grow without end.
  platform::HeadlessBackend backend(platform::HeadlessOptions{.mixAudio = true, .audioRate = 11025});
  const support::BackendScope scope(backend);
  SoundDevice device;
  if (!device.Open(nullptr)) {
    std::abort();  // the headless back end always has a device
  }
  SoundEffect effect = device.LoadWave(kFileName);
  if (effect.Loaded()) {
    effect.Play();
    for (std::uint32_t played = 0; played < kLongestPlayMs && effect.buffer()->IsPlaying();
         played += kStepMs) {
      backend.Advance(kStepMs);
    }
    effect.Rewind();
    effect.Play();
    backend.Advance(kStepMs);
  }
  effect.Release();
  device.Close();
  return 0;
}
