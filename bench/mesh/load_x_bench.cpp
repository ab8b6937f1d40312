// Loading a generated 200 000-triangle model (normals, texture coordinates, two materials) from a
// file into a mesh, as text and as binary with 32-bit floats, with assimp's importer on the same
// files as the anchor, and the time to read the file's bytes as the floor.
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/support/x_grid_model.h"
#include "tests/mesh/mesh_device.h"
#include "zentu/d3dx_mesh.h"

namespace {

// The two files, written once per run.
const std::string& modelFile(bool text) {
  static std::string paths[2];
  std::string& path = paths[text];
  if (!path.empty()) return path;
  path = text ? "/tmp/zentu_load_x_bench_text.x" : "/tmp/zentu_load_x_bench_bin.x";
  std::ofstream out(path, std::ios::binary);
  if (text) {
    std::string bytes = zentu::bench::gridModelText();
    out.write(bytes.data(), std::streamsize(bytes.size()));
  } else {
    std::vector<uint8_t> bytes = zentu::bench::gridModelBinary();
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  return path;
}

void loadZentu(benchmark::State& state, bool text) {
  std::string path = modelFile(text);
  zentu::test::MeshDevice* device = zentu::test::createMeshDevice();
  for (auto _ : state) {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    if (FAILED(
            D3DXLoadMeshFromX(path.data(), D3DXMESH_SYSTEMMEM, device, nullptr, &materials, &count, &mesh))) {
      state.SkipWithError("load failed");
      break;
    }
    if (mesh->GetNumFaces() != zentu::bench::kGridModelTriangles || count != 2)
      state.SkipWithError("unexpected mesh");
    mesh->Release();
    materials->Release();
  }
  device->Release();
}

void loadAssimp(benchmark::State& state, bool text) {
  std::string path = modelFile(text);
  for (auto _ : state) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene || scene->mNumMeshes == 0) {
      state.SkipWithError(importer.GetErrorString());
      break;
    }
    benchmark::DoNotOptimize(scene->mMeshes[0]->mNumFaces);
  }
}

void readBytes(benchmark::State& state, bool text) {
  std::string path = modelFile(text);
  size_t size = 0;
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["file_MB"] = double(size) / 1e6;
}

void BM_LoadText(benchmark::State& state) {
  loadZentu(state, true);
}
void BM_LoadBinary(benchmark::State& state) {
  loadZentu(state, false);
}
void BM_AssimpText(benchmark::State& state) {
  loadAssimp(state, true);
}
void BM_AssimpBinary(benchmark::State& state) {
  loadAssimp(state, false);
}
void BM_ReadBytesText(benchmark::State& state) {
  readBytes(state, true);
}
void BM_ReadBytesBinary(benchmark::State& state) {
  readBytes(state, false);
}

BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssimpText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBytesText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssimpBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBytesBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
