#include "support/backend_scope.h"

namespace support {

BackendScope::BackendScope(platform::Backend& backend) : previous_(&platform::CurrentBackend()) {
  platform::ResetCore();
  platform::SetBackend(&backend);
}

BackendScope::~BackendScope() {
  platform::ResetCore();
  platform::SetBackend(previous_);
}

}  // namespace support
