#include "support/test_hooks.h"

namespace zentu::test {
void installListeners(::testing::TestEventListeners&) {}
}  // namespace zentu::test
