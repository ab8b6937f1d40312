// Parsing a generated 200 000-triangle mesh file (positions, normals, texture coordinates, two
// materials) as text and as binary with 32-bit floats: CreateEnumObject from memory plus GetData
// of every object, with the mesh loader's templates registered.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3dx/mesh/x_templates.h"
#include "zentu/dxfile.h"

namespace {

constexpr int kGrid = 317;  // (kGrid - 1)^2 * 2 = 200 000 triangles
constexpr int kTriangles = (kGrid - 1) * (kGrid - 1) * 2;

// The same mesh written once as text and once as binary tokens.
class MeshWriter {
 public:
  virtual ~MeshWriter() = default;
  virtual void name(const char* s) = 0;
  virtual void open() = 0;
  virtual void close() = 0;
  virtual void ints(const std::vector<uint32_t>& v) = 0;
  virtual void floats(const std::vector<float>& v) = 0;
};

class TextWriter final : public MeshWriter {
 public:
  std::string out = "xof 0303txt 0032\n";
  void name(const char* s) override { (out += s) += ' '; }
  void open() override { out += "{\n"; }
  void close() override { out += "}\n"; }
  void ints(const std::vector<uint32_t>& v) override {
    char b[16];
    for (uint32_t x : v) out.append(b, std::snprintf(b, sizeof b, "%u;", x));
    out += '\n';
  }
  void floats(const std::vector<float>& v) override {
    char b[32];
    for (float x : v) out.append(b, std::snprintf(b, sizeof b, "%.6f;", x));
    out += '\n';
  }
};

class BinaryWriter final : public MeshWriter {
 public:
  std::vector<uint8_t> out;
  BinaryWriter() { raw("xof 0303bin 0032", 16); }
  void name(const char* s) override {
    word(1);
    dword(static_cast<uint32_t>(std::strlen(s)));
    raw(s, std::strlen(s));
  }
  void open() override { word(10); }
  void close() override { word(11); }
  void ints(const std::vector<uint32_t>& v) override {
    word(6);
    dword(static_cast<uint32_t>(v.size()));
    raw(v.data(), v.size() * 4);
  }
  void floats(const std::vector<float>& v) override {
    word(7);
    dword(static_cast<uint32_t>(v.size()));
    raw(v.data(), v.size() * 4);
  }

 private:
  void raw(const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  void word(uint16_t v) { raw(&v, 2); }
  void dword(uint32_t v) { raw(&v, 4); }
};

void writeMesh(MeshWriter& w) {
  const uint32_t vertices = kGrid * kGrid;
  std::vector<float> positions, normals, uvs;
  for (int y = 0; y < kGrid; ++y) {
    for (int x = 0; x < kGrid; ++x) {
      positions.insert(positions.end(), {x * 0.1f, y * 0.1f, (x * y % 7) * 0.01f});
      normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
      uvs.insert(uvs.end(), {x / float(kGrid), y / float(kGrid)});
    }
  }
  std::vector<uint32_t> faces;
  for (int y = 0; y + 1 < kGrid; ++y) {
    for (int x = 0; x + 1 < kGrid; ++x) {
      uint32_t a = y * kGrid + x, b = a + 1, c = a + kGrid, d = c + 1;
      faces.insert(faces.end(), {3, a, b, d, 3, a, d, c});
    }
  }
  std::vector<uint32_t> materials = {2, kTriangles};
  for (int i = 0; i < kTriangles; ++i) materials.push_back(i & 1);

  w.name("Frame");
  w.name("Root");
  w.open();
  w.name("Mesh");
  w.name("Grid");
  w.open();
  w.ints({vertices});
  w.floats(positions);
  w.ints({static_cast<uint32_t>(kTriangles)});
  w.ints(faces);
  w.name("MeshNormals");
  w.open();
  w.ints({vertices});
  w.floats(normals);
  w.ints({static_cast<uint32_t>(kTriangles)});
  w.ints(faces);
  w.close();
  w.name("MeshTextureCoords");
  w.open();
  w.ints({vertices});
  w.floats(uvs);
  w.close();
  w.name("MeshMaterialList");
  w.open();
  w.ints(materials);
  for (int m = 0; m < 2; ++m) {
    w.name("Material");
    w.open();
    w.floats({1.0f, 0.5f, 0.25f, 1.0f, 8.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f});
    w.close();
  }
  w.close();
  w.close();
  w.close();
}

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

void BM_ParseText(benchmark::State& state) {
  static TextWriter w;
  if (w.out.size() < 32) writeMesh(w);
  parse(state, w.out.data(), w.out.size());
}

void BM_ParseBinary(benchmark::State& state) {
  static BinaryWriter w;
  if (w.out.size() < 32) writeMesh(w);
  parse(state, w.out.data(), w.out.size());
}

// The floor: copying the bytes once, as reading them from a file would.
void BM_CopyBinaryBytes(benchmark::State& state) {
  static BinaryWriter w;
  if (w.out.size() < 32) writeMesh(w);
  for (auto _ : state) {
    std::vector<uint8_t> copy(w.out);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(w.out.size()));
}

}  // namespace

BENCHMARK(BM_ParseText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseBinary)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CopyBinaryBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
