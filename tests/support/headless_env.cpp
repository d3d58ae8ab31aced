#include "support/headless_env.h"

namespace testsupport {

HeadlessEnv::HeadlessEnv(platform::HeadlessOptions options)
    : backend_(std::make_unique<platform::HeadlessBackend>(options)), previous_(&platform::CurrentBackend()) {
  platform::ResetCore();
  platform::SetBackend(backend_.get());
}

HeadlessEnv::~HeadlessEnv() {
  // The next test must not see this test's window, messages or held keys.
  platform::ResetCore();
  platform::SetBackend(previous_);
}

}  // namespace testsupport
