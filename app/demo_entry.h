// The program's entry: the window, the three top-level objects in order (graphics device, input
// devices, director), the frame loop and the error box for a thrown text.
#pragma once

#include "app/demo_options.h"
#include "app/director.h"
#include "app/frame_capture.h"
#include "platform/window/window.h"

namespace zentu {

// The seconds the virtual clock starts from; a director's "no reading yet" is 0, so it is not.
constexpr double kVirtualClockOrigin = 1.0;

struct EntrySettings {
  bool windowed = false;
  long long maxFrames = 0;  // 0: no limit
  double maxSeconds = 0;    // demo seconds; 0: no limit
  double frameStep = 0;     // > 0: a virtual clock advancing this many seconds per frame
  FrameCapture* capture = nullptr;
  WindowProc windowProc = demoWindowProc;
  DirectorFactory makeDirector;  // empty: programDirectorFactory()
};

// The director the program runs: the placeholder until the demo's scene director lands.
DirectorFactory programDirectorFactory();

// What a run did, for the program's exit and for tests.
struct EntryReport {
  long long frames = 0;
  bool directorCreated = false;
  bool windowFailed = false;
};

// Runs the demo until the quit message or a limit. A text thrown while setting up is shown in the
// "Error Message" box. Returns 0, as the program does on every path, or 1 when no window opens.
int demoEntry(const EntrySettings& settings, EntryReport* report = nullptr);

// The whole program: options, data directory, headless choice, capture directory, then the entry.
int runDemoProgram(int argc, const char* const* argv);

}  // namespace zentu
