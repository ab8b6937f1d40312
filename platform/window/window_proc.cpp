// The two window procedures: the default behaviour every window has, and the demo's main window,
// which ends the program on Escape or when closed and swallows every other key.
#include "platform/window/window.h"

namespace zentu {

LRESULT defaultWindowProc(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      destroyWindow(window);
      return 0;
    case WM_PAINT:
      validateRect(window);
      return 0;
    default:
      return 0;
  }
}

LRESULT demoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      postQuitMessage(0);
      return 0;
    case WM_PAINT:
      validateRect(window);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) postQuitMessage(0);
      // Key-downs never reach the default procedure.
      validateRect(window);
      return 0;
    default:
      return defaultWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace zentu
