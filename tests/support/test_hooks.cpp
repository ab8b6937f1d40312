// Listeners every test program installs: a test that leaves graphics-device objects alive
// fails, naming what it left.
#include "support/test_hooks.h"

#include "platform/d3d8/device_control.h"

namespace zentu::test {
namespace {

class LeakCheck : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { before_ = liveObjectCount(); }

  void OnTestEnd(const ::testing::TestInfo& info) override {
    if (!objectAccountingEnabled()) return;
    const std::size_t after = liveObjectCount();
    if (after > before_) {
      // Reported as a failure of the program, so the test run fails even though the test's own
      // result is already written.
      ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left " << (after - before_)
                    << " graphics-device object(s) alive: " << liveObjectReport();
    }
  }

  std::size_t before_ = 0;
};

}  // namespace

void installListeners(::testing::TestEventListeners& listeners) {
  listeners.Append(new LeakCheck);  // the listener list owns it
}

}  // namespace zentu::test
