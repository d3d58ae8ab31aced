// A fresh headless back end, in place under the platform calls for as long
// as this object lives.
#pragma once

#include "platform/headless/headless_backend.h"
#include "support/backend_scope.h"

namespace support {

class HeadlessEnv {
 public:
  explicit HeadlessEnv(platform::HeadlessOptions options = {}) : backend_(options), scope_(backend_) {}

  platform::HeadlessBackend& backend() { return backend_; }
  const platform::HeadlessBackend& backend() const { return backend_; }
  platform::HeadlessBackend* operator->() { return &backend_; }
  const platform::HeadlessBackend* operator->() const { return &backend_; }

 private:
  platform::HeadlessBackend backend_;
  BackendScope scope_;
};

}  // namespace support
