// The demo program's command line. Without options the demo runs as designed: full screen, real
// clock, until Escape or the window closes. The options add a window, offscreen running, a data
// directory, run limits, a virtual clock and frame capture.
#pragma once

#include <string>
#include <vector>

namespace zentu {

// Demo seconds a run without a display covers when no limit is given: the timeline's nine states
// (72.2 s) and the start of its repeating cycle.
constexpr double kTimelineSeconds = 75.0;
// Frames per second of the virtual clock when a run without a display picks it itself.
constexpr double kHeadlessFps = 30.0;
// Where a run without a display and without options writes its frames (relative to the directory
// the program was started in).
constexpr const char* kDefaultCaptureDir = "zentu-demo-frames";

struct DemoOptions {
  bool windowed = false;
  bool offscreen = false;
  std::string dataDir;               // empty: the current directory
  double seconds = 0;                // 0: no limit
  long long frames = 0;              // 0: no limit
  double fps = 0;                    // 0: the real clock
  std::string captureDir;            // empty: no capture
  std::vector<double> captureTimes;  // demo seconds, ascending
  long long captureEvery = 0;        // 0: not by frame count
  bool noAudio = false;
  // Set by resolveDemoOptions when no display exists and no option shapes the run.
  bool automatic = false;

  // True when an option changes how the run goes: where the files are and the sound do not.
  bool shapesTheRun() const {
    return windowed || offscreen || seconds > 0 || frames > 0 || fps > 0 || !captureDir.empty();
  }
};

enum class ParseOutcome { kRun, kExit };

// Parses argv. On --help, --version or an error the text has been printed, `exitCode` is set
// and the result is kExit.
ParseOutcome parseDemoOptions(int argc, const char* const* argv, DemoOptions* options, int* exitCode);

// Fills in what the environment decides: without a display the run is offscreen, and when no
// option shapes the run it covers the whole timeline on a virtual clock and captures frames.
// Returns false with a message in `error` for a combination that cannot run.
bool resolveDemoOptions(DemoOptions* options, bool displayAvailable, std::string* error);

}  // namespace zentu
