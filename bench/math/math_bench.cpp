// ns per call of the hot math operations through their public entry points, with the dispatch table
// switched to the base, SSE and SSE2 sets in turn, next to GLM's mat4 multiply, inverse and vec4 x mat4
// transform with the divide by w.
#include <benchmark/benchmark.h>

#include <glm/glm.hpp>

#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "d3dx/math/math_internal.h"

namespace {

constexpr int kCount = 64;  // inputs cycled through so no call sees constant arguments

struct Data {
  std::array<D3DXMATRIX, kCount> m;
  std::array<D3DXVECTOR3, kCount> v;
  std::array<D3DXQUATERNION, kCount> q;
  std::array<float, kCount> angle;
  std::array<glm::mat4, kCount> gm;
  std::array<glm::vec4, kCount> gv;
};

const Data& data() {
  static const Data d = [] {
    Data d;
    for (int i = 0; i < kCount; ++i) {
      float a = 0.1f * static_cast<float>(i + 1);
      D3DXMATRIX r, t;
      zentu::base::matrixRotationYawPitchRoll(&r, a, 0.5f * a, -a);
      zentu::base::matrixTranslation(&t, a, -2 * a, 3);
      zentu::base::matrixMultiply(&d.m[i], &r, &t);
      d.m[i]._14 = 0.01f * a;
      d.v[i] = D3DXVECTOR3(a, 1 - a, 2 * a + 0.5f);
      zentu::base::quaternionRotationYawPitchRoll(&d.q[i], a, -a, 0.3f * a);
      d.angle[i] = a;
      for (int k = 0; k < 16; ++k) d.gm[i][k / 4][k % 4] = d.m[i].m[k / 4][k % 4];
      d.gv[i] = glm::vec4(d.v[i].x, d.v[i].y, d.v[i].z, 1.0f);
    }
    return d;
  }();
  return d;
}

struct SetChoice {
  const char* name;
  void (*apply)(zentu::MathTable&);
};

void noVariants(zentu::MathTable&) {}

void useSet(const SetChoice& set) {
  zentu::MathTable t;
  zentu::fillBaseSet(t);
  set.apply(t);
  zentu::setMathTableForTesting(t, 0);
}

void matrixMultiply(benchmark::State& state) {
  const Data& d = data();
  D3DXMATRIX out;
  int i = 0;
  for (auto _ : state) {
    D3DXMatrixMultiply(&out, &d.m[i], &d.m[(i + 1) & (kCount - 1)]);
    benchmark::DoNotOptimize(out);
    i = (i + 1) & (kCount - 1);
  }
}
void matrixInverse(benchmark::State& state) {
  const Data& d = data();
  D3DXMATRIX out;
  float det;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(D3DXMatrixInverse(&out, &det, &d.m[i]));
    benchmark::DoNotOptimize(out);
    i = (i + 1) & (kCount - 1);
  }
}
void vec3TransformCoord(benchmark::State& state) {
  const Data& d = data();
  D3DXVECTOR3 out;
  int i = 0;
  for (auto _ : state) {
    D3DXVec3TransformCoord(&out, &d.v[i], &d.m[(i + 7) & (kCount - 1)]);
    benchmark::DoNotOptimize(out);
    i = (i + 1) & (kCount - 1);
  }
}
void vec3Normalize(benchmark::State& state) {
  const Data& d = data();
  D3DXVECTOR3 out;
  int i = 0;
  for (auto _ : state) {
    D3DXVec3Normalize(&out, &d.v[i]);
    benchmark::DoNotOptimize(out);
    i = (i + 1) & (kCount - 1);
  }
}
void matrixRotationYawPitchRoll(benchmark::State& state) {
  const Data& d = data();
  D3DXMATRIX out;
  int i = 0;
  for (auto _ : state) {
    D3DXMatrixRotationYawPitchRoll(&out, d.angle[i], d.angle[(i + 3) & (kCount - 1)],
                                   d.angle[(i + 5) & (kCount - 1)]);
    benchmark::DoNotOptimize(out);
    i = (i + 1) & (kCount - 1);
  }
}
void quaternionSlerp(benchmark::State& state) {
  const Data& d = data();
  D3DXQUATERNION out;
  int i = 0;
  for (auto _ : state) {
    D3DXQuaternionSlerp(&out, &d.q[i], &d.q[(i + 1) & (kCount - 1)], 0.3f);
    benchmark::DoNotOptimize(out);
    i = (i + 1) & (kCount - 1);
  }
}

void glmMultiply(benchmark::State& state) {
  const Data& d = data();
  int i = 0;
  for (auto _ : state) {
    // Row-vector order: the D3DX product A x B is B * A in GLM's column-vector terms.
    glm::mat4 r = d.gm[(i + 1) & (kCount - 1)] * d.gm[i];
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kCount - 1);
  }
}
void glmInverse(benchmark::State& state) {
  const Data& d = data();
  int i = 0;
  for (auto _ : state) {
    glm::mat4 r = glm::inverse(d.gm[i]);
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kCount - 1);
  }
}
void glmTransformDivide(benchmark::State& state) {
  const Data& d = data();
  int i = 0;
  for (auto _ : state) {
    glm::vec4 r = d.gv[i] * d.gm[(i + 7) & (kCount - 1)];
    glm::vec3 p = glm::vec3(r) / r.w;
    benchmark::DoNotOptimize(p);
    i = (i + 1) & (kCount - 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static const SetChoice sets[] = {
      {"base", noVariants}, {"SSE", zentu::applySseSet}, {"SSE2", zentu::applySse2Set}};
  struct Op {
    const char* name;
    void (*run)(benchmark::State&);
  };
  const Op ops[] = {{"D3DXMatrixMultiply", matrixMultiply},
                    {"D3DXMatrixInverse", matrixInverse},
                    {"D3DXVec3TransformCoord", vec3TransformCoord},
                    {"D3DXVec3Normalize", vec3Normalize},
                    {"D3DXMatrixRotationYawPitchRoll", matrixRotationYawPitchRoll},
                    {"D3DXQuaternionSlerp", quaternionSlerp}};
  for (const Op& op : ops) {
    for (const SetChoice& set : sets) {
      auto run = op.run;
      const SetChoice* chosen = &set;
      benchmark::RegisterBenchmark((std::string(op.name) + "/" + set.name).c_str(),
                                   [run, chosen](benchmark::State& state) {
                                     useSet(*chosen);
                                     run(state);
                                     zentu::resetMathDispatchForTesting();
                                   });
    }
  }
  benchmark::RegisterBenchmark("glm::mat4 multiply", glmMultiply);
  benchmark::RegisterBenchmark("glm::inverse", glmInverse);
  benchmark::RegisterBenchmark("glm vec4*mat4 with divide", glmTransformDivide);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
