// Which back end the platform calls go to: until one is set, one with no
// devices.
#include <cstdio>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/no_device_backend.h"
#include "platform/score_file.h"

namespace platform {

void Backend::EndProcess(int exitCode) {
  std::fflush(nullptr);
  std::_Exit(exitCode == 0 && ScoreSaveFailed() ? kScoreNotSavedExitCode : exitCode);
}

namespace {

// Built at compile time and never destroyed: the game's global objects
// still reach the platform from their destructors at exit, which may run
// after this file's own statics are gone.
union NoDeviceHolder {
  constexpr NoDeviceHolder() : backend() {}
  ~NoDeviceHolder() {}
  NoDeviceBackend backend;
};
constinit NoDeviceHolder noDevice;

}  // namespace

constinit Backend* activeBackend = &noDevice.backend;
constinit std::uint64_t callCount = 0;

void SetBackend(Backend* backend) { activeBackend = backend != nullptr ? backend : &noDevice.backend; }

}  // namespace platform
