// Fuzz target of the .x reader: opens the input with the mesh loader's templates and walks every
// object, its data, children and references.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3dx/mesh/x_templates.h"
#include "zentu/dxfile.h"

namespace {

volatile uint8_t gSink;

void walk(IDirectXFileData* d, int depth) {
  const GUID* type = nullptr;
  DWORD size = 0;
  void* data = nullptr;
  if (FAILED(d->GetType(&type)) || FAILED(d->GetData(nullptr, &size, &data))) return;
  uint8_t sum = 0;
  for (DWORD i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + static_cast<uint8_t*>(data)[i]);
  gSink = sum;
  char name[2048];
  DWORD length = sizeof name;
  d->GetName(name, &length);
  for (;;) {
    IDirectXFileObject* child = nullptr;
    if (FAILED(d->GetNextObject(&child))) break;
    IDirectXFileData* childData = nullptr;
    IDirectXFileDataReference* ref = nullptr;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&childData)))) {
      walk(childData, depth + 1);
      childData->Release();
    } else if (SUCCEEDED(
                   child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(&ref)))) {
      IDirectXFileData* target = nullptr;
      // Targets are walked one level only: references may form cycles.
      if (SUCCEEDED(ref->Resolve(&target))) {
        target->GetData(nullptr, &size, &data);
        target->Release();
      }
      ref->Release();
    }
    child->Release();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size > (1u << 24)) return 0;
  IDirectXFile* reader = nullptr;
  if (FAILED(DirectXFileCreate(&reader))) return 0;
  zentu::registerXTemplates(reader);
  // A copy of exactly the input's size, so any over-read shows.
  std::vector<uint8_t> copy(bytes, bytes + size);
  DXFILELOADMEMORY memory{copy.data(), static_cast<DWORD>(copy.size())};
  IDirectXFileEnumObject* e = nullptr;
  if (SUCCEEDED(reader->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &e))) {
    for (;;) {
      IDirectXFileData* d = nullptr;
      if (FAILED(e->GetNextDataObject(&d))) break;
      walk(d, 0);
      d->Release();
    }
    e->Release();
  }
  // The same bytes as a template set.
  reader->RegisterTemplates(copy.data(), static_cast<DWORD>(copy.size()));
  reader->Release();
  return 0;
}
