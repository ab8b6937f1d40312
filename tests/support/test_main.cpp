// Test entry point shared by every test program. Listeners registered here run around each test
// (for example the check that no reference-counted object outlives its test).
#include <gtest/gtest.h>

#include "support/test_hooks.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  zentu::test::installListeners(::testing::UnitTest::GetInstance()->listeners());
  return RUN_ALL_TESTS();
}
