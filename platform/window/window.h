// The window system of the demo: windows, a message queue fed by the system's events, the seconds
// clock and the message box. The program sees windows as opaque HWND handles and messages in the
// shape its window procedure was written for; SDL stays inside this module.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zentu/wintypes.h"

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

// Message numbers.
#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101

// Virtual key codes carried in wParam of the key messages (keys without a code carry 0).
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F1 0x70
#define VK_F12 0x7B

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;  // milliseconds since the window system started
  POINT pt;
} MSG;

namespace zentu {

using WindowProc = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

enum class WindowMode {
  kWindowed,           // a normal window at the given place and size
  kFullScreenDesktop,  // covers the screen at the desktop's resolution
};

struct WindowDesc {
  const char* title = "";  // Windows-1252
  int left = 100;
  int top = 100;
  int width = 800;
  int height = 600;
  WindowMode mode = WindowMode::kWindowed;
  WindowProc proc = nullptr;  // null: demoWindowProc
};

// --- Headless running -------------------------------------------------------------------------
// Without a display (or when asked) windows live on SDL's offscreen video driver and sound goes to
// its dummy audio driver: everything works, nothing is shown or heard. Ask before the first window,
// device or sound is made.
void requestHeadless();
bool isHeadless();
// True when the environment names an X11 or Wayland display.
bool displayAvailable();

// --- Windows ----------------------------------------------------------------------------------
// Opens a shown window. Returns null (and says why on stderr) when the window system cannot start.
// The window is invalid at first, so its first WM_PAINT comes with the first messages.
HWND createWindow(const WindowDesc& desc);
// Sends WM_DESTROY to the window's procedure, hides it and drops its queued messages. The system
// window stays allocated until the process ends, so a graphics context made on it stays usable.
void destroyWindow(HWND window);
bool isWindow(HWND window);
bool setWindowFullScreen(HWND window, bool fullScreen);
// Size of the window's drawable area in pixels (0 x 0 for no window).
void windowDrawableSize(HWND window, int* width, int* height);
// True when the window is shown and has the keyboard focus, or the desktop has not yet reported
// where the focus is (just after opening, or without a display).
bool isForegroundWindow(HWND window);
// Hides or shows the mouse pointer over the program's windows.
void setCursorHidden(bool hidden);

// --- Messages ---------------------------------------------------------------------------------
// Takes the next message, if any, without waiting: posted messages in order, then WM_PAINT for a
// window that needs painting. Returns false when the queue is empty.
bool peekMessage(MSG* message);
// Calls the procedure of the message's window; messages without a live window (WM_QUIT among
// them) are not passed anywhere and give 0.
LRESULT dispatchMessage(const MSG* message);
// Calls the window's procedure at once.
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Posts WM_QUIT (wParam = exitCode, no window).
void postQuitMessage(int exitCode);
// Marks the whole window as painted.
void validateRect(HWND window);
// What a window does with messages its procedure leaves alone: WM_CLOSE destroys the window,
// WM_PAINT validates it, everything else gives 0.
LRESULT defaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of the demo's main window: WM_DESTROY and Escape pressed post the quit, WM_PAINT
// and every key-down are swallowed (validated, result 0), the rest goes to defaultWindowProc.
LRESULT demoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Clock ------------------------------------------------------------------------------------
// Monotonic seconds. The real clock starts at 1.0 at its first use in the process, which keeps
// single-precision copies of it accurate to well under a millisecond for hours; differences are
// what callers use. A virtual clock replaces it for deterministic runs.
double ClockSeconds();
void useVirtualClock(double originSeconds);
void advanceVirtualClock(double seconds);
void useRealClock();

// --- Message box ------------------------------------------------------------------------------
// Shows `text` under `caption` (both Windows-1252) with one OK button and waits for it when a
// display is in use; the line "caption: text" always goes to stderr, in UTF-8.
void showMessageBox(const char* text, const char* caption);
// Converts Windows-1252 text to UTF-8 (the five unassigned bytes become U+FFFD).
std::string utf8FromWindows1252(std::string_view text);

}  // namespace zentu
