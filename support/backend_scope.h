// A back end put under the platform calls for the length of a scope. The
// core forgets its window, queue and held keys on the way in and on the way
// out, so nothing one user leaves reaches the next, and the back end that
// was there before comes back.
#pragma once

#include "platform/backend.h"

namespace support {

class BackendScope {
 public:
  explicit BackendScope(platform::Backend& backend);
  ~BackendScope();
  BackendScope(const BackendScope&) = delete;
  BackendScope& operator=(const BackendScope&) = delete;

 private:
  platform::Backend* previous_;
};

}  // namespace support
