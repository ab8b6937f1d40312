// The seconds clock: CLOCK_MONOTONIC, shifted so that the process's first reading is 1.0. The
// demo keeps the previous reading in single precision; counted from boot, a machine that has run
// for days would round it to tenths of a second. The virtual clock serves deterministic runs.
#include <time.h>

#include "platform/window/window.h"

namespace zentu {
namespace {

struct ClockState {
  bool isVirtual = false;
  double virtualNow = 0.0;
  bool started = false;
  double origin = 0.0;
};

ClockState& clockState() {
  static ClockState state;
  return state;
}

double monotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr double kFirstReading = 1.0;

}  // namespace

double ClockSeconds() {
  ClockState& state = clockState();
  if (state.isVirtual) return state.virtualNow;
  const double now = monotonicSeconds();
  if (!state.started) {
    state.origin = now - kFirstReading;
    state.started = true;
  }
  return now - state.origin;
}

void useVirtualClock(double originSeconds) {
  ClockState& state = clockState();
  state.isVirtual = true;
  state.virtualNow = originSeconds;
}

void advanceVirtualClock(double seconds) {
  clockState().virtualNow += seconds;
}

void useRealClock() {
  clockState().isVirtual = false;
}

}  // namespace zentu
