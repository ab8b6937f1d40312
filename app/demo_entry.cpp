// The entry and its frame loop. The loop never waits for a message: it draws, presents, then
// drains the queue, so a quit posted during a frame ends the loop once that frame is complete,
// and messages queued behind the quit are still dispatched.
#include "app/demo_entry.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/graphics_device.h"
#include "app/input_devices.h"
#include "app/placeholder_director.h"
#include "platform/media/media_control.h"

namespace zentu {
namespace {

// The program's instance handle: only passed on to the input set-up, which never reads it.
char programInstance;

// Thrown when the device cannot be created; everything after it needs one.
const char* const kNoDeviceText = "Could not create the graphics device";

// The input devices are never read; their objects are given back as the program ends.
void releaseInputDevices(InputDevices& input) {
  for (IDirectInputDevice8A* d : {input.keyboard, input.mouse}) {
    if (!d) continue;
    d->Unacquire();
    d->Release();
  }
  if (input.directInput) input.directInput->Release();
  input.directInput = nullptr;
  input.keyboard = nullptr;
  input.mouse = nullptr;
}

bool limitReached(long long maxFrames, double maxSeconds, long long frames, double seconds) {
  if (maxFrames > 0 && frames >= maxFrames) return true;
  // Demo seconds come from sums of frame steps; a rounding error short of the limit is at it.
  return maxSeconds > 0 && seconds + 1e-9 >= maxSeconds;
}

}  // namespace

DirectorFactory programDirectorFactory() {
  return directorFactory<PlaceholderDirector>();
}

int demoEntry(const EntrySettings& settings, EntryReport* report) {
  EntryReport local;
  EntryReport& r = report ? *report : local;
  r = {};
  if (settings.frameStep > 0) useVirtualClock(kVirtualClockOrigin);

  std::unique_ptr<GraphicsDevice> graphics;
  std::unique_ptr<InputDevices> input;
  try {
    WindowDesc desc;
    desc.title = "Zentu Mini Demo";
    desc.left = 100;
    desc.top = 100;
    desc.width = 800;
    desc.height = 600;
    desc.mode = WindowMode::kWindowed;
    desc.proc = settings.windowProc ? settings.windowProc : demoWindowProc;
    HWND window = createWindow(desc);
    if (!window) {
      // Nothing could ever end the loop without a window; createWindow has said why.
      r.windowFailed = true;
      if (settings.frameStep > 0) useRealClock();
      return 1;
    }

    double maxSeconds = settings.maxSeconds;
    if (isHeadless() && settings.maxFrames <= 0 && maxSeconds <= 0) {
      // The display went away while starting: nothing could end an unseen run, so it covers the
      // timeline once.
      maxSeconds = kTimelineSeconds;
      std::fprintf(stderr, "zentu-demo: nothing is shown; stopping after %g seconds\n", maxSeconds);
    }

    graphics = std::make_unique<GraphicsDevice>(window, settings.windowed);
    IDirect3DDevice8* device = graphics->device;
    if (!device) throw kNoDeviceText;
    input = std::make_unique<InputDevices>(static_cast<HINSTANCE>(&programInstance), window);
    const DirectorFactory& makeDirector =
        settings.makeDirector ? settings.makeDirector : programDirectorFactory();
    std::unique_ptr<Director> director = makeDirector(device);
    r.directorCreated = director != nullptr;

    const double start = ClockSeconds();
    bool running = true;
    MSG message{};
    while (running) {
      const double now = ClockSeconds() - start;
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x00000000, 1.0f, 0);
      device->BeginScene();
      if (director) director->RenderFrame();
      device->EndScene();
      // Read before Present: a flipped back buffer's contents are not kept.
      if (settings.capture && settings.capture->wants(r.frames, now))
        settings.capture->write(device, r.frames);
      device->Present(nullptr, nullptr, nullptr, nullptr);
      while (peekMessage(&message)) {
        if (message.message == WM_QUIT) running = false;
        dispatchMessage(&message);
      }
      ++r.frames;
      if (settings.frameStep > 0) advanceVirtualClock(settings.frameStep);
      if (limitReached(settings.maxFrames, maxSeconds, r.frames, ClockSeconds() - start)) running = false;
    }
    director.reset();
  } catch (const char* text) {
    showMessageBox(text, "Error Message");
  }
  if (input) releaseInputDevices(*input);
  if (settings.frameStep > 0) useRealClock();
  return 0;
}

int runDemoProgram(int argc, const char* const* argv) {
  DemoOptions options;
  int exitCode = 0;
  if (parseDemoOptions(argc, argv, &options, &exitCode) == ParseOutcome::kExit) return exitCode;
  std::string error;
  if (!resolveDemoOptions(&options, displayAvailable(), &error)) {
    std::fprintf(stderr, "zentu-demo: %s\n", error.c_str());
    return 2;
  }

  // The capture directory is taken relative to where the program started, before --data moves.
  FrameCapture capture;
  if (!options.captureDir.empty()) {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::absolute(options.captureDir, ec);
    if (!ec) std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
      std::fprintf(stderr, "zentu-demo: cannot make the capture directory %s: %s\n",
                   options.captureDir.c_str(), ec ? ec.message().c_str() : "not a directory");
      return 1;
    }
    capture = FrameCapture(dir.lexically_normal().string(), options.captureTimes, options.captureEvery);
  }
  if (!options.dataDir.empty() && chdir(options.dataDir.c_str()) != 0) {
    std::fprintf(stderr, "zentu-demo: cannot use %s as the data directory: %s\n", options.dataDir.c_str(),
                 std::strerror(errno));
    return 1;
  }
  if (options.offscreen) requestHeadless();
  if (options.noAudio) setAudioMode(AudioMode::kSilent);
  if (options.automatic)
    std::fprintf(stderr,
                 "zentu-demo: no display; running offscreen through the %g-second timeline at %g frames per "
                 "second, writing one frame per second to %s\n",
                 options.seconds, options.fps, capture.directory().c_str());

  EntrySettings settings;
  settings.windowed = options.windowed;
  settings.maxFrames = options.frames;
  settings.maxSeconds = options.seconds;
  settings.frameStep = options.fps > 0 ? 1.0 / options.fps : 0;
  settings.capture = capture.enabled() ? &capture : nullptr;
  EntryReport report;
  int result = demoEntry(settings, &report);
  if (capture.enabled())
    std::fprintf(stderr, "zentu-demo: %zu frame%s written to %s\n", capture.written(),
                 capture.written() == 1 ? "" : "s", capture.directory().c_str());
  if (result == 0 && capture.failed()) result = 1;
  return result;
}

}  // namespace zentu
