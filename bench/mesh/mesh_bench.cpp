// Mesh operations on generated grids with split seams, with meshoptimizer's exact vertex welding
// (meshopt_generateVertexRemap on the same positions) as the anchor. Each benchmark reports time per
// million triangles and the peak heap bytes per triangle its call allocates.
#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "d3dx/mesh/build_mesh.h"
#include "d3dx/mesh/mesh_internal.h"
#include "tests/mesh/mesh_device.h"

// Peak heap use of a measured call: every allocation of the program goes through here.
static std::atomic<size_t> gHeapNow{0}, gHeapPeak{0};

void* operator new(size_t size) {
  size_t* p = static_cast<size_t*>(std::malloc(size + 16));
  if (!p) throw std::bad_alloc();
  *p = size;
  size_t now = gHeapNow += size;
  size_t peak = gHeapPeak.load();
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
  }
  return reinterpret_cast<char*>(p) + 16;
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size) {
  return operator new(size);
}
void* operator new[](size_t size, const std::nothrow_t& t) noexcept {
  return operator new(size, t);
}
void operator delete(void* p) noexcept {
  if (!p) return;
  size_t* base = reinterpret_cast<size_t*>(static_cast<char*>(p) - 16);
  gHeapNow -= *base;
  std::free(base);
}
void operator delete(void* p, size_t) noexcept {
  operator delete(p);
}
void operator delete[](void* p) noexcept {
  operator delete(p);
}
void operator delete[](void* p, size_t) noexcept {
  operator delete(p);
}

namespace {

using namespace zentu;

// A grid of n × n quads in z = 0 whose vertex columns are duplicated every 16 quads (split seams,
// as texture seams leave them), 2 n² triangles in all.
struct Grid {
  std::vector<float> positions;  // x, y, z per vertex
  std::vector<DWORD> indices;
  DWORD vertices = 0, faces = 0;
};

Grid makeGrid(DWORD n) {
  Grid g;
  const DWORD seam = 16;
  std::vector<DWORD> columnStart(n + 1);
  // Seam columns get a second copy of their vertices for the quads right of them.
  for (DWORD x = 0; x <= n; ++x) {
    auto add = [&](DWORD y) {
      g.positions.insert(g.positions.end(), {float(x) * 0.01f, float(y) * 0.01f, 0});
    };
    columnStart[x] = DWORD(g.positions.size() / 3);
    for (DWORD y = 0; y <= n; ++y) add(y);
    if (x % seam == 0 && x > 0 && x < n)
      for (DWORD y = 0; y <= n; ++y) add(y);
  }
  g.vertices = DWORD(g.positions.size() / 3);
  for (DWORD x = 0; x < n; ++x) {
    DWORD left = columnStart[x] + ((x % seam == 0 && x > 0) ? n + 1 : 0), right = columnStart[x + 1];
    for (DWORD y = 0; y < n; ++y) {
      DWORD a = left + y, b = right + y, c = right + y + 1, d = left + y + 1;
      g.indices.insert(g.indices.end(), {a, b, c, a, c, d});
    }
  }
  g.faces = DWORD(g.indices.size() / 3);
  return g;
}

struct Fixture {
  test::MeshDevice* device = test::createMeshDevice();
  ID3DXMesh* mesh = nullptr;
  std::vector<DWORD> adjacency;
  Grid grid;

  explicit Fixture(DWORD n) : grid(makeGrid(n)) {
    D3DXCreateMeshFVF(grid.faces, grid.vertices, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT,
                      D3DFVF_XYZ | D3DFVF_NORMAL, device, &mesh);
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(0, &v);
    for (DWORD i = 0; i < grid.vertices; ++i)
      std::memcpy(v + size_t(i) * 24, &grid.positions[3 * size_t(i)], 12);
    mesh->UnlockVertexBuffer();
    BYTE* ib = nullptr;
    mesh->LockIndexBuffer(0, &ib);
    std::memcpy(ib, grid.indices.data(), grid.indices.size() * 4);
    mesh->UnlockIndexBuffer();
    adjacency.resize(size_t(grid.faces) * 3);
    mesh->GenerateAdjacency(0, adjacency.data());
  }
  ~Fixture() {
    mesh->Release();
    device->Release();
  }
};

// Grid side for a triangle count in millions (0 = one million): 2 n² triangles.
DWORD sideFor(double millions) {
  double t = millions * 1e6;
  DWORD n = 1;
  while (2.0 * double(n) * n < t) ++n;
  return n;
}

// `share`: the part of the named triangle count that the input mesh has (merging doubles it).
template <class Op>
void run(benchmark::State& state, Op op, double share = 1.0) {
  Fixture f(sideFor(double(state.range(0)) * share));
  size_t peak = 0;
  for (auto _ : state) {
    size_t base = gHeapNow.load();
    gHeapPeak = base;
    op(f);
    peak = std::max(peak, gHeapPeak.load() - base);
  }
  double triangles = double(f.grid.faces) / share;
  state.counters["Mtri"] = triangles / 1e6;
  state.counters["heapB/tri"] = double(peak) / triangles;
  state.SetItemsProcessed(int64_t(double(state.iterations()) * triangles));
}

void GenerateAdjacencyExact(benchmark::State& state) {
  std::vector<DWORD> out;
  run(state, [&](Fixture& f) {
    out.resize(f.adjacency.size());
    f.mesh->GenerateAdjacency(0, out.data());
  });
}

void GenerateAdjacencyEpsilon(benchmark::State& state) {
  std::vector<DWORD> out;
  run(state, [&](Fixture& f) {
    out.resize(f.adjacency.size());
    f.mesh->GenerateAdjacency(0.001f, out.data());
  });
}

void PointRepsExactOnly(benchmark::State& state) {
  std::vector<DWORD> reps;
  run(state, [&](Fixture& f) {
    FaceList faces;
    expandFaces(f.grid.indices.data(), true, f.grid.faces, f.grid.vertices, faces);
    reps.resize(f.grid.vertices);
    pointRepsFromPositions(faces, Positions{reinterpret_cast<const BYTE*>(f.grid.positions.data()), 12}, 0,
                           reps.data());
  });
}

void MeshoptVertexRemap(benchmark::State& state) {
  std::vector<unsigned int> remap;
  run(state, [&](Fixture& f) {
    remap.resize(f.grid.vertices);
    benchmark::DoNotOptimize(meshopt_generateVertexRemap(remap.data(), f.grid.indices.data(),
                                                         f.grid.indices.size(), f.grid.positions.data(),
                                                         f.grid.vertices, 12));
  });
}

void AdjacencyToPointReps(benchmark::State& state) {
  std::vector<DWORD> reps;
  run(state, [&](Fixture& f) {
    reps.resize(f.grid.vertices);
    f.mesh->ConvertAdjacencyToPointReps(f.adjacency.data(), reps.data());
  });
}

void ComputeNormalsWithAdjacency(benchmark::State& state) {
  run(state, [&](Fixture& f) { D3DXComputeNormals(f.mesh, f.adjacency.data()); });
}

void CloneToAnotherFormat(benchmark::State& state) {
  run(state, [&](Fixture& f) {
    ID3DXMesh* clone = nullptr;
    f.mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT,
                         D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, f.device, &clone);
    clone->Release();
  });
}

void MergeTwoHalves(benchmark::State& state) {
  run(
      state,
      [&](Fixture& f) {
        ID3DXMesh* merged = nullptr;
        ID3DXBuffer* adjacency = nullptr;
        MergeMeshes(f.mesh, f.adjacency.data(), nullptr, 0, f.mesh, f.adjacency.data(), nullptr, 0, f.device,
                    &merged, &adjacency, nullptr, nullptr);
        merged->Release();
        adjacency->Release();
      },
      0.5);
}

// Argument: millions of triangles (for the merge, of its result).
#define MESH_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->MinTime(1.0)
MESH_BENCH(GenerateAdjacencyExact);
MESH_BENCH(GenerateAdjacencyEpsilon);
MESH_BENCH(PointRepsExactOnly);
MESH_BENCH(MeshoptVertexRemap);
MESH_BENCH(AdjacencyToPointReps);
MESH_BENCH(ComputeNormalsWithAdjacency);
MESH_BENCH(CloneToAnotherFormat);
MESH_BENCH(MergeTwoHalves);

}  // namespace

BENCHMARK_MAIN();
