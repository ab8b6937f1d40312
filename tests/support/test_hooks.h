// Hooks that every test program installs.
#pragma once

#include <gtest/gtest.h>

namespace zentu::test {
void installListeners(::testing::TestEventListeners& listeners);
}
