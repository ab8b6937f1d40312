#include "platform/window/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/window_internal.h"

namespace zentu {
namespace {

// What the frame loop's drain saw: whether a quit came, and every message dispatched.
struct Drain {
  bool quit = false;
  std::vector<UINT> dispatched;
};

Drain drainQueue() {
  Drain drain;
  MSG msg;
  while (peekMessage(&msg)) {
    if (msg.message == WM_QUIT) drain.quit = true;
    drain.dispatched.push_back(msg.message);
    dispatchMessage(&msg);
  }
  return drain;
}

void pushKey(HWND window, SDL_Keycode key, Uint32 type = SDL_KEYDOWN) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.windowID = SDL_GetWindowID(sdlWindowOf(window));
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void pushWindowEvent(HWND window, Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.type = SDL_WINDOWEVENT;
  event.window.windowID = SDL_GetWindowID(sdlWindowOf(window));
  event.window.event = what;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    requestHeadless();
    WindowDesc desc;
    desc.title = "Zentu Mini Demo";
    window = createWindow(desc);
    ASSERT_NE(window, nullptr);
    drainQueue();  // the first paint and whatever the driver reports on opening
  }
  void TearDown() override {
    destroyWindow(window);
    drainQueue();
  }
  HWND window = nullptr;
};

TEST_F(WindowTest, EventsEndTheLoopAsTheMainWindowDoes) {
  struct Case {
    const char* name;
    void (*push)(HWND);
    bool quits;
    bool windowSurvives;
  };
  const Case cases[] = {
      {"escape pressed", [](HWND w) { pushKey(w, SDLK_ESCAPE); }, true, true},
      {"other key pressed", [](HWND w) { pushKey(w, SDLK_a); }, false, true},
      {"space pressed", [](HWND w) { pushKey(w, SDLK_SPACE); }, false, true},
      {"escape released", [](HWND w) { pushKey(w, SDLK_ESCAPE, SDL_KEYUP); }, false, true},
      {"close box", [](HWND w) { pushWindowEvent(w, SDL_WINDOWEVENT_CLOSE); }, true, false},
      {"interrupt",
       [](HWND) {
         SDL_Event quit{};
         quit.type = SDL_QUIT;
         SDL_PushEvent(&quit);
       },
       true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.push(window);
    const Drain drain = drainQueue();
    EXPECT_EQ(drain.quit, c.quits);
    EXPECT_EQ(isWindow(window), c.windowSurvives);
    if (!c.windowSurvives) {
      destroyWindow(window);
      window = createWindow(WindowDesc{});
      ASSERT_NE(window, nullptr);
      drainQueue();
    }
  }
}

TEST_F(WindowTest, KeysCarryVirtualCodesAndAreSwallowed) {
  pushKey(window, SDLK_ESCAPE);
  pushKey(window, SDLK_q);
  MSG msg;
  ASSERT_TRUE(peekMessage(&msg));
  EXPECT_EQ(msg.message, UINT{WM_KEYDOWN});
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.wParam, WPARAM{VK_ESCAPE});
  EXPECT_EQ(msg.lParam & 0xFFFF, 1);
  EXPECT_EQ(dispatchMessage(&msg), 0);
  ASSERT_TRUE(peekMessage(&msg));
  EXPECT_EQ(msg.wParam, WPARAM{'Q'});
  EXPECT_EQ(dispatchMessage(&msg), 0);
  ASSERT_TRUE(peekMessage(&msg));  // the quit from the Escape, after the keys already queued
  EXPECT_EQ(msg.message, UINT{WM_QUIT});
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_FALSE(peekMessage(&msg));
}

TEST_F(WindowTest, MessagesAfterTheQuitAreStillDispatched) {
  static std::vector<UINT> seen;
  seen.clear();
  WindowDesc desc;
  desc.proc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    seen.push_back(m);
    return demoWindowProc(w, m, wp, lp);
  };
  HWND recorded = createWindow(desc);
  ASSERT_NE(recorded, nullptr);
  drainQueue();
  seen.clear();
  pushKey(recorded, SDLK_ESCAPE);
  const Drain first = drainQueue();  // the quit is posted while this drain runs
  EXPECT_TRUE(first.quit);
  postQuitMessage(0);
  postMessage(recorded, WM_KEYDOWN, 'X', 1);
  const Drain second = drainQueue();
  EXPECT_TRUE(second.quit);
  EXPECT_EQ(second.dispatched, (std::vector<UINT>{WM_QUIT, WM_KEYDOWN}));
  EXPECT_EQ(seen, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN}));
  destroyWindow(recorded);
  EXPECT_EQ(seen.back(), UINT{WM_DESTROY});
  drainQueue();
}

TEST_F(WindowTest, PaintComesUntilValidated) {
  MSG msg;
  EXPECT_FALSE(peekMessage(&msg));
  pushWindowEvent(window, SDL_WINDOWEVENT_EXPOSED);
  ASSERT_TRUE(peekMessage(&msg));
  EXPECT_EQ(msg.message, UINT{WM_PAINT});
  ASSERT_TRUE(peekMessage(&msg));  // not painted yet: asked again
  EXPECT_EQ(msg.message, UINT{WM_PAINT});
  dispatchMessage(&msg);
  EXPECT_FALSE(peekMessage(&msg));
}

TEST_F(WindowTest, DestroyedWindowGetsNothingMore) {
  postMessage(window, WM_KEYDOWN, VK_ESCAPE, 1);
  destroyWindow(window);
  EXPECT_FALSE(isWindow(window));
  EXPECT_NE(sdlWindowOf(window), nullptr);  // kept for a graphics context made on it
  const Drain drain = drainQueue();
  EXPECT_EQ(drain.dispatched, (std::vector<UINT>{WM_QUIT}));  // only the quit of WM_DESTROY
  EXPECT_EQ(sendMessage(window, WM_KEYDOWN, VK_ESCAPE, 1), 0);
  EXPECT_FALSE(drainQueue().quit);
}

TEST_F(WindowTest, ForegroundFollowsTheReportedFocus) {
  EXPECT_TRUE(isForegroundWindow(window));  // nothing reported yet
  pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
  const Drain drain = drainQueue();
  EXPECT_EQ(drain.dispatched, (std::vector<UINT>{WM_KILLFOCUS}));
  EXPECT_FALSE(isForegroundWindow(window));
  pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
  drainQueue();
  EXPECT_TRUE(isForegroundWindow(window));
}

TEST_F(WindowTest, WindowHasTheAskedSize) {
  int width = 0, height = 0;
  windowDrawableSize(window, &width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  EXPECT_TRUE(isForegroundWindow(window));
  EXPECT_EQ(createWindow(WindowDesc{"", 0, 0, 0, 600}), nullptr);
  EXPECT_EQ(sdlWindowOf(reinterpret_cast<HWND>(&width)), nullptr);
}

TEST(Clock, NonDecreasingFromOne) {
  useRealClock();
  const double first = ClockSeconds();
  const double second = ClockSeconds();
  EXPECT_GE(first, 1.0);
  EXPECT_GE(second, first);
  EXPECT_LT(second - first, 1.0);
}

TEST(Clock, VirtualClockAdvancesExactly) {
  useVirtualClock(100000.0);
  EXPECT_EQ(ClockSeconds(), 100000.0);
  advanceVirtualClock(1.0 / 64.0);
  EXPECT_EQ(ClockSeconds(), 100000.015625);
  useRealClock();
  EXPECT_LT(ClockSeconds(), 100000.0);
}

TEST(Text1252, ConvertsToUtf8) {
  struct Case {
    const char* name;
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"ascii", "Error Message", "Error Message"},
      {"a with diaeresis", "S\xE4tta", "S\xC3\xA4tta"},
      {"latin-1 top", "\xFF\xA0", "\xC3\xBF\xC2\xA0"},
      {"euro", "\x80", "\xE2\x82\xAC"},
      {"quotes and dash", "\x93\x97\x94", "\xE2\x80\x9C\xE2\x80\x94\xE2\x80\x9D"},
      {"unassigned", "\x81\x8D\x8F\x90\x9D", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8FromWindows1252(c.in), c.out) << c.name;
}

TEST(MessageBox, TextGoesToStderrInUtf8) {
  requestHeadless();
  ::testing::internal::CaptureStderr();
  showMessageBox("Kunde inte ta r\xE4ttigheten till tangentbordet", "Error Message");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error Message: Kunde inte ta r\xC3\xA4ttigheten till tangentbordet\n");
}

}  // namespace
}  // namespace zentu
