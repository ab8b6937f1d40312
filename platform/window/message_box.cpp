// The message box: the text always goes to stderr, and on a display also into SDL's simple box,
// which waits for its OK button.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace zentu {

void showMessageBox(const char* text, const char* caption) {
  const std::string body = utf8FromWindows1252(text != nullptr ? text : "");
  const std::string title = utf8FromWindows1252(caption != nullptr ? caption : "");
  std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
  std::fflush(stderr);
  if (isHeadless()) return;
  prepareSdlDrivers();
  // No icon and one OK button. When the box cannot be shown, stderr has the text already.
  SDL_ShowSimpleMessageBox(0, title.c_str(), body.c_str(), nullptr);
}

}  // namespace zentu
