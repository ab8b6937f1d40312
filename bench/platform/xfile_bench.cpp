// Parsing a generated 200 000-triangle mesh file (positions, normals, texture coordinates, two
// materials) as text and as binary with 32-bit floats: CreateEnumObject from memory plus GetData
// of every object, with the mesh loader's templates registered.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/x_grid_model.h"
#include "d3dx/mesh/x_templates.h"
#include "zentu/dxfile.h"

namespace {

size_t walk(IDirectXFileData* d) {
  DWORD size = 0;
  void* data = nullptr;
  d->GetData(nullptr, &size, &data);
  size_t total = size;
  IDirectXFileObject* child = nullptr;
  while (SUCCEEDED(d->GetNextObject(&child))) {
    IDirectXFileData* childData = nullptr;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&childData)))) {
      total += walk(childData);
      childData->Release();
    }
    child->Release();
  }
  return total;
}

void parse(benchmark::State& state, const void* bytes, size_t size) {
  IDirectXFile* reader = nullptr;
  DirectXFileCreate(&reader);
  zentu::registerXTemplates(reader);
  DXFILELOADMEMORY memory{const_cast<void*>(bytes), static_cast<DWORD>(size)};
  for (auto _ : state) {
    IDirectXFileEnumObject* e = nullptr;
    if (FAILED(reader->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &e))) {
      state.SkipWithError("parse failed");
      break;
    }
    size_t total = 0;
    IDirectXFileData* d = nullptr;
    while (SUCCEEDED(e->GetNextDataObject(&d))) {
      total += walk(d);
      d->Release();
    }
    benchmark::DoNotOptimize(total);
    e->Release();
  }
  reader->Release();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}

const std::string& textModel() {
  static const std::string bytes = zentu::bench::gridModelText();
  return bytes;
}
const std::vector<uint8_t>& binaryModel() {
  static const std::vector<uint8_t> bytes = zentu::bench::gridModelBinary();
  return bytes;
}

void BM_ParseText(benchmark::State& state) {
  parse(state, textModel().data(), textModel().size());
}

void BM_ParseBinary(benchmark::State& state) {
  parse(state, binaryModel().data(), binaryModel().size());
}

// The floor: copying the bytes once, as reading them from a file would.
void BM_CopyBinaryBytes(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = binaryModel();
  for (auto _ : state) {
    std::vector<uint8_t> copy(bytes);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_ParseText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseBinary)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CopyBinaryBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
