// Windows and the message queue on SDL: system events become messages for the window procedures,
// posted messages keep their order, and painting is asked for by an invalid flag the way a
// window procedure expects (WM_PAINT comes when nothing else is queued, until validated).
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace zentu {
namespace {

struct WindowRecord {
  SDL_Window* sdl = nullptr;
  Uint32 id = 0;
  WindowProc proc = nullptr;
  bool alive = true;
  bool needsPaint = true;
  bool hasFocus = false;    // as the focus messages told it
  bool destroying = false;  // WM_DESTROY is being sent
};

struct WindowSystem {
  std::vector<std::unique_ptr<WindowRecord>> windows;
  std::deque<MSG> queue;
  bool focusReported = false;  // the desktop has told us about keyboard focus at least once
};

WindowSystem& windowSystem() {
  static WindowSystem system;
  return system;
}

WindowRecord* findRecord(HWND window) {
  if (window == nullptr) return nullptr;
  for (auto& record : windowSystem().windows)
    if (record.get() == window) return record.get();
  return nullptr;
}

WindowRecord* liveRecord(HWND window) {
  WindowRecord* record = findRecord(window);
  return record != nullptr && record->alive ? record : nullptr;
}

WindowRecord* liveRecordById(Uint32 id) {
  for (auto& record : windowSystem().windows)
    if (record->alive && record->id == id) return record.get();
  return nullptr;
}

DWORD messageTime() {
  return SDL_WasInit(SDL_INIT_TIMER | SDL_INIT_EVENTS) ? SDL_GetTicks() : 0;
}

void enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = messageTime();
  windowSystem().queue.push_back(msg);
}

WPARAM virtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<WPARAM>(VK_F1 + (key - SDLK_F1));
  switch (key) {
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    default:
      return 0;
  }
}

// Repeat count 1 in the low word, the scan code in bits 16-23, "was down" in bit 30 and
// "being released" in bit 31, as key messages carry them.
LPARAM keyFlags(const SDL_KeyboardEvent& key) {
  uint32_t flags = 1u | ((static_cast<uint32_t>(key.keysym.scancode) & 0xFFu) << 16);
  if (key.type == SDL_KEYUP)
    flags |= 3u << 30;
  else if (key.repeat)
    flags |= 1u << 30;
  return static_cast<LPARAM>(flags);
}

void translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (WindowRecord* record = liveRecordById(event.key.windowID))
        enqueue(record, event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, virtualKey(event.key.keysym.sym),
                keyFlags(event.key));
      break;
    case SDL_WINDOWEVENT: {
      WindowRecord* record = liveRecordById(event.window.windowID);
      if (record == nullptr) break;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          enqueue(record, WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          record->needsPaint = true;
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          windowSystem().focusReported = true;
          for (auto& other : windowSystem().windows) other->hasFocus = false;
          record->hasFocus = true;
          enqueue(record, WM_SETFOCUS, 0, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          windowSystem().focusReported = true;
          record->hasFocus = false;
          enqueue(record, WM_KILLFOCUS, 0, 0);
          break;
        default:
          break;
      }
      break;
    }
    case SDL_QUIT: {
      // An interrupt from the terminal or the desktop: close every window as its close box would.
      bool any = false;
      for (auto& record : windowSystem().windows) {
        if (!record->alive) continue;
        enqueue(record.get(), WM_CLOSE, 0, 0);
        any = true;
      }
      if (!any) postQuitMessage(0);
      break;
    }
    default:
      break;
  }
}

void pumpSystemEvents() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) translate(event);
}

}  // namespace

SDL_Window* sdlWindowOf(HWND window) {
  WindowRecord* record = findRecord(window);
  return record != nullptr ? record->sdl : nullptr;
}

HWND createWindow(const WindowDesc& desc) {
  if (desc.width <= 0 || desc.height <= 0) {
    std::fprintf(stderr, "zentu: cannot open a window of %d x %d pixels\n", desc.width, desc.height);
    return nullptr;
  }
  if (!startVideo()) return nullptr;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (desc.mode == WindowMode::kFullScreenDesktop) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  const std::string title = utf8FromWindows1252(desc.title != nullptr ? desc.title : "");
  SDL_Window* sdl = SDL_CreateWindow(title.c_str(), desc.left, desc.top, desc.width, desc.height,
                                     flags | SDL_WINDOW_OPENGL);
  // A system without OpenGL still gets a window; the device then renders no pixels.
  if (sdl == nullptr)
    sdl = SDL_CreateWindow(title.c_str(), desc.left, desc.top, desc.width, desc.height, flags);
  if (sdl == nullptr) {
    std::fprintf(stderr, "zentu: cannot open a window (%s)\n", SDL_GetError());
    return nullptr;
  }
  auto record = std::make_unique<WindowRecord>();
  record->sdl = sdl;
  record->id = SDL_GetWindowID(sdl);
  record->proc = desc.proc != nullptr ? desc.proc : demoWindowProc;
  WindowRecord* handle = record.get();
  windowSystem().windows.push_back(std::move(record));
  return handle;
}

void destroyWindow(HWND window) {
  WindowRecord* record = liveRecord(window);
  if (record == nullptr || record->destroying) return;
  record->destroying = true;
  SDL_HideWindow(record->sdl);
  sendMessage(window, WM_DESTROY, 0, 0);
  record->alive = false;
  auto& queue = windowSystem().queue;
  queue.erase(std::remove_if(queue.begin(), queue.end(), [&](const MSG& m) { return m.hwnd == window; }),
              queue.end());
}

bool isWindow(HWND window) {
  return liveRecord(window) != nullptr;
}

bool setWindowFullScreen(HWND window, bool fullScreen) {
  WindowRecord* record = liveRecord(window);
  if (record == nullptr) return false;
  return SDL_SetWindowFullscreen(record->sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void windowDrawableSize(HWND window, int* width, int* height) {
  int w = 0, h = 0;
  if (WindowRecord* record = findRecord(window)) SDL_GL_GetDrawableSize(record->sdl, &w, &h);
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
}

bool isForegroundWindow(HWND window) {
  WindowRecord* record = liveRecord(window);
  if (record == nullptr || (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_SHOWN) == 0) return false;
  // Until the desktop reports focus (it may take a moment after a window opens, and never comes
  // without a display), a shown window counts as in front.
  if (!windowSystem().focusReported) return true;
  return record->hasFocus;
}

void setCursorHidden(bool hidden) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
}

bool peekMessage(MSG* message) {
  if (message == nullptr) return false;
  pumpSystemEvents();
  auto& system = windowSystem();
  if (!system.queue.empty()) {
    *message = system.queue.front();
    system.queue.pop_front();
    return true;
  }
  for (auto& record : system.windows) {
    if (!record->alive || !record->needsPaint) continue;
    *message = MSG{};
    message->hwnd = record.get();
    message->message = WM_PAINT;
    message->time = messageTime();
    return true;
  }
  return false;
}

LRESULT dispatchMessage(const MSG* message) {
  if (message == nullptr) return 0;
  return sendMessage(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = liveRecord(window);
  if (record == nullptr) return 0;
  return record->proc(window, message, wParam, lParam);
}

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && liveRecord(window) == nullptr) return;
  enqueue(window, message, wParam, lParam);
}

void postQuitMessage(int exitCode) {
  enqueue(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

void validateRect(HWND window) {
  if (WindowRecord* record = liveRecord(window)) record->needsPaint = false;
}

}  // namespace zentu
