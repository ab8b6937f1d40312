// Shared helpers of the .x reader tests: a reader with the mesh loader's templates, opening a
// buffer copied into a fresh allocation, and a canonical dump of a file's object tree.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3dx/mesh/x_templates.h"
#include "platform/xfile/xfile_internal.h"
#include "scene_fixture.h"
#include "zentu/dxfile.h"

namespace zentu::test {

// Holds one reference and releases it.
template <typename T>
class Ref {
 public:
  Ref() = default;
  ~Ref() { reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T** out() {
    reset();
    return &p_;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// Every test ends with no reader object alive.
class XFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(DirectXFileCreate(reader_.out()), S_OK);
    ASSERT_EQ(registerXTemplates(reader_.get()), S_OK);
  }
  void TearDown() override {
    reader_.reset();
    EXPECT_EQ(xfile::liveObjects(), 0);
  }

  // Opens a copy of `bytes` in a buffer of exactly their size, so any over-read is seen.
  HRESULT open(const std::vector<uint8_t>& bytes, Ref<IDirectXFileEnumObject>& e) {
    std::vector<uint8_t> copy(bytes);
    DXFILELOADMEMORY memory{copy.empty() ? nullptr : copy.data(), static_cast<DWORD>(copy.size())};
    return reader_->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, e.out());
  }
  HRESULT open(const std::string& text, Ref<IDirectXFileEnumObject>& e) {
    return open(std::vector<uint8_t>(text.begin(), text.end()), e);
  }

  Ref<IDirectXFile> reader_;
};

inline std::string nameOf(IDirectXFileObject* o) {
  DWORD size = 0;
  if (FAILED(o->GetName(nullptr, &size))) return "<error>";
  std::string name(size, '\0');
  if (FAILED(o->GetName(name.data(), &size))) return "<error>";
  name.resize(size - 1);
  return name;
}

inline std::string hexOf(const void* p, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    uint8_t b = static_cast<const uint8_t*>(p)[i];
    s += kDigits[b >> 4];
    s += kDigits[b & 15];
  }
  return s;
}

template <typename T>
T at(const void* data, size_t offset) {
  T v;
  std::memcpy(&v, static_cast<const uint8_t*>(data) + offset, sizeof v);
  return v;
}

// One line per object: depth, type, name, data (strings of TextureFilename shown as text), and
// references shown with their resolved target. Any reader failure shows in the dump.
inline void dumpData(IDirectXFileData* d, int depth, std::string& out) {
  const GUID* type = nullptr;
  DWORD size = 0;
  void* data = nullptr;
  if (FAILED(d->GetType(&type)) || FAILED(d->GetData(nullptr, &size, &data))) {
    out += "<error>\n";
    return;
  }
  char typeText[16];
  std::snprintf(typeText, sizeof typeText, "%08x", static_cast<unsigned>(type->Data1));
  out += std::string(depth * 2, ' ') + typeText + " " + nameOf(d) + " ";
  if (*type == TID_D3DRMTextureFilename && size == sizeof(char*)) {
    const char* s;
    std::memcpy(&s, data, sizeof s);
    out += std::string("\"") + s + "\"";
  } else if ((*type == TID_D3DRMUrl || type->Data1 == 0xBBBBBBBB) && size >= 4) {
    // A count, that many strings, then raw bytes: the string members of the fixtures.
    DWORD n = at<DWORD>(data, 0);
    size_t offset = 4;
    out += std::to_string(n);
    for (DWORD i = 0; i < n && offset + sizeof(char*) <= size; ++i, offset += sizeof(char*))
      out += std::string(" \"") + at<const char*>(data, offset) + "\"";
    out += " " + hexOf(static_cast<uint8_t*>(data) + offset, size - offset);
  } else {
    out += hexOf(data, size);
  }
  out += "\n";
  for (;;) {
    Ref<IDirectXFileObject> child;
    HRESULT hr = d->GetNextObject(child.out());
    if (hr == DXFILEERR_NOMOREOBJECTS) break;
    if (FAILED(hr)) {
      out += "<error>\n";
      break;
    }
    Ref<IDirectXFileData> childData;
    Ref<IDirectXFileDataReference> ref;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.out())))) {
      dumpData(childData.get(), depth + 1, out);
    } else if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileDataReference,
                                               reinterpret_cast<void**>(ref.out())))) {
      Ref<IDirectXFileData> target;
      out += std::string(depth * 2 + 2, ' ') + "-> " + nameOf(ref.get());
      out += SUCCEEDED(ref->Resolve(target.out())) ? " = " + nameOf(target.get()) : " unresolved";
      out += "\n";
    } else {
      out += "<unknown child>\n";
    }
  }
}

inline std::string dumpAll(IDirectXFileEnumObject* e) {
  std::string out;
  for (;;) {
    Ref<IDirectXFileData> d;
    HRESULT hr = e->GetNextDataObject(d.out());
    if (hr == DXFILEERR_NOMOREOBJECTS) break;
    if (FAILED(hr)) return out + "<error>\n";
    dumpData(d.get(), 0, out);
  }
  return out;
}

}  // namespace zentu::test
