// The command line through CLI11, and the defaults that a run without a display takes.
#include "app/demo_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifndef ZENTU_VERSION
#define ZENTU_VERSION "unknown"
#endif

namespace zentu {
namespace {

std::string footer() {
  char text[640];
  std::snprintf(
      text, sizeof text,
      "Without options the demo takes the screen and runs until Escape is pressed or the window\n"
      "is closed. Without a display (or with --offscreen) nothing is shown and the run stops after\n"
      "%g demo seconds, the whole timeline, unless --seconds or --frames says otherwise. Without a\n"
      "display and without options it also runs a virtual clock at %g frames per second and\n"
      "writes one frame per demo second to ./%s, which it names when it starts.\n"
      "Files are read from the current directory, or from the one --data names.",
      kTimelineSeconds, kHeadlessFps, kDefaultCaptureDir);
  return text;
}

}  // namespace

ParseOutcome parseDemoOptions(int argc, const char* const* argv, DemoOptions* options, int* exitCode) {
  DemoOptions o;
  CLI::App app{"Zentu Mini Demo: a real-time 3D demo on a fixed timeline.", "zentu-demo"};
  app.set_version_flag("--version", "zentu-demo " ZENTU_VERSION);
  app.footer(footer());
  app.add_flag("--windowed", o.windowed, "Run in an 800 x 600 window instead of full screen");
  app.add_flag("--offscreen", o.offscreen, "Run without showing anything (no display needed)");
  app.add_option("--data", o.dataDir, "Directory holding the models, textures and music")
      ->type_name("DIR")
      ->check(CLI::ExistingDirectory);
  char secondsText[96];
  std::snprintf(secondsText, sizeof secondsText,
                "Stop after S demo seconds (default: on a display none, offscreen %g)", kTimelineSeconds);
  app.add_option("--seconds", o.seconds, secondsText)->type_name("S")->check(CLI::PositiveNumber);
  app.add_option("--frames", o.frames, "Stop after N frames")->type_name("N")->check(CLI::PositiveNumber);
  app.add_option("--fps", o.fps, "Offscreen: a virtual clock advancing exactly 1/F seconds per frame")
      ->type_name("F")
      ->check(CLI::Range(0.001, 100000.0));
  CLI::Option* capture = app.add_option("--capture", o.captureDir,
                                        "Write frames as DIR/frame-NNNNNN.png (DIR is made if missing); "
                                        "every frame unless --capture-at or --capture-every chooses")
                             ->type_name("DIR");
  CLI::Option* at = app.add_option("--capture-at", o.captureTimes,
                                   "Capture the first frame at or after each of these demo seconds")
                        ->type_name("T1,T2,...")
                        ->delimiter(',')
                        ->check(CLI::NonNegativeNumber)
                        ->needs(capture);
  CLI::Option* every = app.add_option("--capture-every", o.captureEvery, "Capture frames 0, N, 2N, ...")
                           ->type_name("N")
                           ->check(CLI::PositiveNumber)
                           ->needs(capture)
                           ->excludes(at);
  at->excludes(every);
  app.add_flag("--no-audio", o.noAudio, "Play no sound (the music's clock still runs)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version end with 0; a command line that cannot run is a usage error.
    *exitCode = app.exit(e) == 0 ? 0 : 2;
    return ParseOutcome::kExit;
  }
  std::sort(o.captureTimes.begin(), o.captureTimes.end());
  *options = std::move(o);
  return ParseOutcome::kRun;
}

bool resolveDemoOptions(DemoOptions* options, bool displayAvailable, std::string* error) {
  DemoOptions& o = *options;
  const bool shaped = o.shapesTheRun();
  if (!displayAvailable && !o.offscreen) {
    o.offscreen = true;
    if (!shaped) {
      o.automatic = true;
      o.fps = kHeadlessFps;
      o.captureDir = kDefaultCaptureDir;
      o.captureEvery = static_cast<long long>(kHeadlessFps);
    }
  }
  if (o.fps > 0 && !o.offscreen) {
    *error = "--fps runs a virtual clock, which needs --offscreen (or no display)";
    return false;
  }
  // Nothing can stop an offscreen run from outside, so it covers the timeline.
  if (o.offscreen && o.seconds <= 0 && o.frames <= 0) o.seconds = kTimelineSeconds;
  return true;
}

}  // namespace zentu
