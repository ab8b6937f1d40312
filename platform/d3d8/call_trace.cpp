// The call trace: device calls with their arguments, recorded while a CallTrace object lives.
#include <cstdio>

#include "platform/d3d8/diagnostics.h"

namespace zentu {
namespace {
CallTrace* gInnermost = nullptr;
}

std::string TracedCall::text() const {
  return method + "(" + args + ")";
}

CallTrace::CallTrace() : outer_(gInnermost) {
  gInnermost = this;
}
CallTrace::~CallTrace() {
  gInnermost = outer_;
}

std::vector<std::string> CallTrace::texts(std::string_view method) const {
  std::vector<std::string> out;
  for (const TracedCall& c : calls_)
    if (method.empty() || c.method == method) out.push_back(c.text());
  return out;
}

bool callTraceActive() {
  return gInnermost != nullptr;
}

void recordDeviceCall(std::string_view method, std::string&& args, HRESULT result) {
  if (!gInnermost) return;
  gInnermost->calls_.push_back({std::string(method), std::move(args), result});
}

void TraceArgs::separate() {
  if (!text_.empty()) text_ += ", ";
}

void TraceArgs::raw(const char* s) {
  text_ += s;
}

TraceArgs& TraceArgs::operator<<(uint32_t v) {
  separate();
  text_ += std::to_string(v);
  return *this;
}

TraceArgs& TraceArgs::operator<<(int32_t v) {
  separate();
  text_ += std::to_string(v);
  return *this;
}

TraceArgs& TraceArgs::operator<<(uint64_t v) {
  separate();
  text_ += std::to_string(v);
  return *this;
}

TraceArgs& TraceArgs::operator<<(float v) {
  separate();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
  text_ += buf;
  return *this;
}

TraceArgs& TraceArgs::operator<<(const void* p) {
  separate();
  raw(p ? "object" : "null");
  return *this;
}

namespace {
void appendFloats(std::string& s, const float* f, int n) {
  s += "{";
  for (int i = 0; i < n; ++i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, i ? " %g" : "%g", static_cast<double>(f[i]));
    s += buf;
  }
  s += "}";
}
void appendColor(std::string& s, const D3DCOLORVALUE& c) {
  const float f[4] = {c.r, c.g, c.b, c.a};
  appendFloats(s, f, 4);
}
void appendVector(std::string& s, const D3DVECTOR& v) {
  const float f[3] = {v.x, v.y, v.z};
  appendFloats(s, f, 3);
}
}  // namespace

TraceArgs& TraceArgs::operator<<(const D3DMATRIX* m) {
  separate();
  if (!m) {
    raw("null");
  } else {
    appendFloats(text_, &m->m[0][0], 16);
  }
  return *this;
}

TraceArgs& TraceArgs::operator<<(const D3DMATERIAL8* m) {
  separate();
  if (!m) {
    raw("null");
    return *this;
  }
  appendColor(text_, m->Diffuse);
  appendColor(text_, m->Ambient);
  appendColor(text_, m->Specular);
  appendColor(text_, m->Emissive);
  const float p[1] = {m->Power};
  appendFloats(text_, p, 1);
  return *this;
}

TraceArgs& TraceArgs::operator<<(const D3DLIGHT8* l) {
  separate();
  if (!l) {
    raw("null");
    return *this;
  }
  text_ += "{" + std::to_string(static_cast<unsigned>(l->Type)) + "}";
  appendColor(text_, l->Diffuse);
  appendColor(text_, l->Specular);
  appendColor(text_, l->Ambient);
  appendVector(text_, l->Position);
  appendVector(text_, l->Direction);
  const float f[7] = {l->Range,        l->Falloff, l->Attenuation0, l->Attenuation1,
                      l->Attenuation2, l->Theta,   l->Phi};
  appendFloats(text_, f, 7);
  return *this;
}

TraceArgs& TraceArgs::operator<<(const D3DVIEWPORT8* v) {
  separate();
  if (!v) {
    raw("null");
    return *this;
  }
  text_ += "{" + std::to_string(v->X) + " " + std::to_string(v->Y) + " " + std::to_string(v->Width) + " " +
           std::to_string(v->Height) + "}";
  const float f[2] = {v->MinZ, v->MaxZ};
  appendFloats(text_, f, 2);
  return *this;
}

TraceArgs& TraceArgs::operator<<(const RECT* r) {
  separate();
  if (!r) {
    raw("null");
    return *this;
  }
  text_ += "{" + std::to_string(r->left) + " " + std::to_string(r->top) + " " + std::to_string(r->right) +
           " " + std::to_string(r->bottom) + "}";
  return *this;
}

}  // namespace zentu
