// The entry and its frame loop, run headless with stub directors: how the loop ends, what a
// thrown set-up text shows, and the virtual clock and limits the options drive.
#include "app/demo_entry.h"
#include "app/placeholder_director.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/d3d8/device_control.h"
#include "platform/input/input_control.h"

namespace zentu {
namespace {

// A director that runs a script with the frame number (from 1) and the main window.
class ScriptedDirector : public Director {
 public:
  using Script = std::function<void(int frame, HWND window)>;
  ScriptedDirector(IDirect3DDevice8* device, Script script, bool* destroyed)
      : device_(device), script_(std::move(script)), destroyed_(destroyed) {}
  ~ScriptedDirector() override { *destroyed_ = true; }
  void RenderFrame() override {
    D3DDEVICE_CREATION_PARAMETERS p{};
    device_->GetCreationParameters(&p);
    if (script_) script_(++frame_, p.hFocusWindow);
  }

 private:
  IDirect3DDevice8* device_;
  Script script_;
  bool* destroyed_;
  int frame_ = 0;
};

class ThrowingDirector : public Director {
 public:
  explicit ThrowingDirector(IDirect3DDevice8*) { throw "Error while loading .x file "; }
  void RenderFrame() override {}
};

struct SeenMessage {
  UINT message;
  WPARAM wParam;
  LRESULT result;
};
std::vector<SeenMessage> gSeen;

// The demo's window procedure, watched. After Escape it posts a key-up, which lands behind the
// quit message that Escape has just posted.
LRESULT watchedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = demoWindowProc(window, message, wParam, lParam);
  gSeen.push_back({message, wParam, result});
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) postMessage(window, WM_KEYUP, VK_ESCAPE, 0);
  return result;
}

bool seen(UINT message, WPARAM wParam) {
  for (const SeenMessage& m : gSeen)
    if (m.message == message && m.wParam == wParam) return true;
  return false;
}

class DemoEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requestHeadless();
    clearInputFailures();
    gSeen.clear();
    settings.maxFrames = 10;
    settings.windowProc = watchedProc;
  }
  void TearDown() override { clearInputFailures(); }

  void useScript(ScriptedDirector::Script script) {
    settings.makeDirector = [this, script](IDirect3DDevice8* device) -> std::unique_ptr<Director> {
      return std::make_unique<ScriptedDirector>(device, script, &directorDestroyed);
    };
  }
  // Runs the entry with stderr captured; returns the entry's result.
  int run() {
    testing::internal::CaptureStderr();
    const int result = demoEntry(settings, &report);
    errors = testing::internal::GetCapturedStderr();
    return result;
  }

  EntrySettings settings;
  EntryReport report;
  bool directorDestroyed = false;
  std::string errors;
};

TEST_F(DemoEntryTest, QuitEndsTheLoopAtTheEndOfTheFrame) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    long long frames;  // frames drawn
  };
  const Case cases[] = {
      {"Escape pressed", WM_KEYDOWN, VK_ESCAPE, 3},
      {"window closed", WM_CLOSE, 0, 3},
      {"another key pressed", WM_KEYDOWN, 'A', 10},
      {"space pressed", WM_KEYDOWN, VK_SPACE, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gSeen.clear();
    directorDestroyed = false;
    useScript([&c](int frame, HWND window) {
      if (frame == 3) postMessage(window, c.message, c.wParam, 0);
    });
    CallTrace trace;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(report.frames, c.frames);
    // The frame in which the quit came was presented in full.
    EXPECT_EQ(trace.texts("Present").size(), static_cast<size_t>(c.frames));
    EXPECT_TRUE(directorDestroyed);
    for (const SeenMessage& m : gSeen) {
      if (m.message == WM_KEYDOWN) {
        EXPECT_EQ(m.result, 0) << "key " << m.wParam;
      }
    }
  }
}

TEST_F(DemoEntryTest, MessagesBehindTheQuitAreStillDispatched) {
  useScript([](int frame, HWND window) {
    if (frame == 2) postMessage(window, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(report.frames, 2);
  EXPECT_TRUE(seen(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_TRUE(seen(WM_KEYUP, VK_ESCAPE));  // queued after the quit, dispatched in the same drain
}

TEST_F(DemoEntryTest, WindowClosedGoesThroughDestroy) {
  useScript([](int frame, HWND window) {
    if (frame == 1) postMessage(window, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(report.frames, 1);
  EXPECT_TRUE(seen(WM_CLOSE, 0));
  EXPECT_TRUE(seen(WM_DESTROY, 0));
}

TEST_F(DemoEntryTest, FrameCallsComeInOrder) {
  settings.maxFrames = 2;
  useScript([](int, HWND) {});
  CallTrace trace;
  EXPECT_EQ(run(), 0);
  std::vector<std::string> frame;
  for (const TracedCall& call : trace.calls())
    if (call.method != "GetCreationParameters") frame.push_back(call.text());
  const std::vector<std::string> expected = {
      "Clear(0, null, 7, 0, 1, 0)",
      "BeginScene()",
      "EndScene()",
      "Present(null, null, null, null)",
  };
  ASSERT_EQ(frame.size(), 2 * expected.size());
  for (size_t i = 0; i < frame.size(); ++i) EXPECT_EQ(frame[i], expected[i % expected.size()]) << i;
}

TEST_F(DemoEntryTest, DirectorComesAfterTheDeviceAndTheInputDevices) {
  const size_t inputBefore = liveInputObjects();
  size_t inputAtDirector = 0;
  IDirect3DDevice8* given = nullptr;
  settings.maxFrames = 1;
  settings.makeDirector = [&](IDirect3DDevice8* device) -> std::unique_ptr<Director> {
    given = device;
    inputAtDirector = liveInputObjects() - inputBefore;
    return std::make_unique<ScriptedDirector>(device, nullptr, &directorDestroyed);
  };
  EXPECT_EQ(run(), 0);
  ASSERT_NE(given, nullptr);
  EXPECT_EQ(inputAtDirector, 3u);  // the input object, keyboard and mouse
  EXPECT_TRUE(report.directorCreated);
  EXPECT_TRUE(directorDestroyed);
}

TEST_F(DemoEntryTest, EachInputFailureShowsItsTextAndNoDirectorIsMade) {
  struct Case {
    InputCall call;
    InputDeviceKind kind;
    const char* shown;  // the box's line on stderr, in UTF-8
  };
  const Case cases[] = {
      {InputCall::kCreate, InputDeviceKind::kAny, "Kunde inte skapa DInput8"},
      {InputCall::kCreateDevice, InputDeviceKind::kKeyboard, "Kunde inte skapa Input Device"},
      {InputCall::kSetDataFormat, InputDeviceKind::kKeyboard, "Kunde inte S\u00e4tta dataformat"},
      {InputCall::kSetCooperativeLevel, InputDeviceKind::kKeyboard, "Kunde inte s\u00e4tta cooperativelevel"},
      {InputCall::kAcquire, InputDeviceKind::kKeyboard, "Kunde inte ta r\u00e4ttigheten till tangentbordet"},
      {InputCall::kCreateDevice, InputDeviceKind::kMouse, "CreateDevice Mouse"},
      {InputCall::kSetDataFormat, InputDeviceKind::kMouse, "SetDataFormat Mouse"},
      {InputCall::kSetCooperativeLevel, InputDeviceKind::kMouse, "SetCooperativeLevel Mouse"},
      {InputCall::kSetProperty, InputDeviceKind::kMouse, "SetPropert Mouse"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    clearInputFailures();
    failInputCall(c.call, c.kind);
    bool asked = false;
    settings.makeDirector = [&asked](IDirect3DDevice8*) -> std::unique_ptr<Director> {
      asked = true;
      return nullptr;
    };
    CallTrace trace;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(errors, std::string("Error Message: ") + c.shown + "\n");
    EXPECT_FALSE(asked);
    EXPECT_FALSE(report.directorCreated);
    EXPECT_EQ(report.frames, 0);
    EXPECT_TRUE(trace.texts("Present").empty());
  }
}

TEST_F(DemoEntryTest, ModelFailureInTheDirectorShowsItsText) {
  settings.makeDirector = directorFactory<ThrowingDirector>();
  CallTrace trace;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(errors, "Error Message: Error while loading .x file \n");
  EXPECT_FALSE(report.directorCreated);
  EXPECT_EQ(report.frames, 0);
  EXPECT_TRUE(trace.texts("Present").empty());  // no frame was drawn
}

TEST_F(DemoEntryTest, VirtualClockAdvancesOneStepPerFrameFromItsOrigin) {
  std::vector<double> readings;
  settings.maxFrames = 0;
  settings.maxSeconds = 1.0;
  settings.frameStep = 0.25;
  useScript([&readings](int, HWND) { readings.push_back(ClockSeconds()); });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(readings, (std::vector<double>{1.0, 1.25, 1.5, 1.75}));  // exact: a seconds limit of 1
  EXPECT_EQ(report.frames, 4);
}

TEST_F(DemoEntryTest, PlaceholderDirectorClearsToItsColour) {
  settings.maxFrames = 1;
  CallTrace trace;
  EXPECT_EQ(run(), 0);
  const std::vector<std::string> clears = trace.texts("Clear");
  ASSERT_EQ(clears.size(), 2u);  // the entry's, then the placeholder's
  EXPECT_EQ(clears[1], "Clear(0, null, 1, " + std::to_string(PlaceholderDirector::colourAt(0)) + ", 1, 0)");
}

}  // namespace
}  // namespace zentu
