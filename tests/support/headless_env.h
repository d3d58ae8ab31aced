// Puts a fresh headless back end under the platform calls for the length of
// a test: the core's window, queue and key table are forgotten on entry, and
// the previous back end comes back on exit.
#pragma once

#include <memory>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"

namespace testsupport {

class HeadlessEnv {
 public:
  explicit HeadlessEnv(platform::HeadlessOptions options = {});
  ~HeadlessEnv();
  HeadlessEnv(const HeadlessEnv&) = delete;
  HeadlessEnv& operator=(const HeadlessEnv&) = delete;

  platform::HeadlessBackend& backend() { return *backend_; }
  const platform::HeadlessBackend& backend() const { return *backend_; }
  platform::HeadlessBackend* operator->() { return backend_.get(); }
  const platform::HeadlessBackend* operator->() const { return backend_.get(); }

 private:
  std::unique_ptr<platform::HeadlessBackend> backend_;
  platform::Backend* previous_;
};

}  // namespace testsupport
