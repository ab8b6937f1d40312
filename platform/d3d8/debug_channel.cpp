// The debug channel: one stderr line per failing call when ZENTU_D3D_DEBUG=1, silenced by the
// library's mute around calls expected to fail.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/d3d8/diagnostics.h"

namespace zentu {
namespace {

struct DebugChannel {
  int enabled = -1;  // -1: not decided yet (read ZENTU_D3D_DEBUG on first use)
  bool muted = false;
  const char* reason = nullptr;
  std::function<void(const std::string&)> sink;
};

DebugChannel& channel() {
  static DebugChannel c;
  return c;
}

}  // namespace

void setDebugOutputEnabled(bool enabled) {
  channel().enabled = enabled ? 1 : 0;
}

bool debugOutputEnabled() {
  DebugChannel& c = channel();
  if (c.enabled < 0) {
    const char* v = std::getenv("ZENTU_D3D_DEBUG");
    c.enabled = v && *v && std::strcmp(v, "0") != 0 ? 1 : 0;
  }
  return c.enabled == 1;
}

bool setDebugMute(bool muted) {
  bool previous = channel().muted;
  channel().muted = muted;
  return previous;
}

bool debugMuted() {
  return channel().muted;
}

void setDebugSink(std::function<void(const std::string&)> sink) {
  channel().sink = std::move(sink);
}

std::string resultName(HRESULT hr) {
  struct Name {
    HRESULT hr;
    const char* name;
  };
  static const Name kNames[] = {
      {D3D_OK, "D3D_OK"},
      {S_FALSE, "S_FALSE"},
      {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
      {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
      {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
      {D3DERR_MOREDATA, "D3DERR_MOREDATA"},
      {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
      {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT"},
      {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_POINTER, "E_POINTER"},
      {E_FAIL, "E_FAIL"},
      {E_INVALIDARG, "E_INVALIDARG"},
  };
  for (const Name& n : kNames)
    if (n.hr == hr) return n.name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

void setFailureReason(const char* reason) {
  channel().reason = reason;
}

HRESULT reportFailure(const char* interfaceName, const char* method, HRESULT hr) {
  DebugChannel& c = channel();
  const char* reason = c.reason;
  c.reason = nullptr;
  if (SUCCEEDED(hr) || c.muted || !debugOutputEnabled()) return hr;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string line = "zentu d3d8: ";
  line += interfaceName;
  line += "::";
  line += method;
  line += " failed: ";
  line += resultName(hr);
  if (resultName(hr) != code) {
    line += " (";
    line += code;
    line += ")";
  }
  if (reason) {
    line += ": ";
    line += reason;
  }
  if (c.sink) {
    c.sink(line);
  } else {
    line += '\n';
    std::fputs(line.c_str(), stderr);
  }
  return hr;
}

}  // namespace zentu
