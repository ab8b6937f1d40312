// Every SSE and SSE2 variant against its base implementation over ordinary, degenerate (zero, tiny,
// near-one, NaN, huge) and random inputs.
//
// Tolerance policy: a variant's component agrees with the base when both are NaN, both are the same
// infinity, or |variant - base| <= 2e-5 x (1 + the largest finite |base| component of that output).
// 2e-5 covers the reciprocal square root estimate refined once (about 1e-6 relative) and the dropped
// near-one shortcut of D3DXVec3Normalize (under 1e-5). A NULL result must match a NULL result. The
// documented differences of a variant on degenerate input are listed in kDifferences with what the
// variant must produce instead; every other (entry, input) pair must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "math/math_test_support.h"

namespace zentu {
namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

struct Inputs {
  std::string name;
  D3DXMATRIX m[2];
  D3DXVECTOR4 v[4];
  float s[3];
};

struct Outcome {
  std::vector<float> values;
  bool null = false;
};

D3DXVECTOR2 v2(const D3DXVECTOR4& v) {
  return D3DXVECTOR2(v.x, v.y);
}
D3DXVECTOR3 v3(const D3DXVECTOR4& v) {
  return D3DXVECTOR3(v.x, v.y, v.z);
}
D3DXQUATERNION qt(const D3DXVECTOR4& v) {
  return D3DXQUATERNION(v.x, v.y, v.z, v.w);
}
D3DXPLANE pl(const D3DXVECTOR4& v) {
  return D3DXPLANE(v.x, v.y, v.z, v.w);
}

template <class T>
void append(Outcome& o, const T& value) {
  const float* f = reinterpret_cast<const float*>(&value);
  o.values.insert(o.values.end(), f, f + sizeof(T) / sizeof(float));
}

// Calls entry `index` through the untyped pointer `fn` with the inputs.
using Runner = std::function<Outcome(AnyMathFn fn, const Inputs& in)>;

template <class F>
F* as(AnyMathFn fn) {
  return reinterpret_cast<F*>(fn);
}

// The signature of each entry, by index.
#define ZENTU_TYPE(index, name, publicName, ret, params, args) using Fn##index = ret params;
ZENTU_MATH_OPS(ZENTU_TYPE)
#undef ZENTU_TYPE

Runner runnerFor(int index) {
  switch (index) {
    case 0:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        D3DXVECTOR2 a = v2(in.v[0]);
        as<Fn0>(f)(&r, &a, &in.m[0]);
        append(o, r);
        return o;
      };
    case 1:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        D3DXVECTOR3 a = v3(in.v[0]);
        as<Fn1>(f)(&r, &a, &in.m[0]);
        append(o, r);
        return o;
      };
    case 2:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        as<Fn2>(f)(&r, &in.v[0], &in.m[0]);
        append(o, r);
        return o;
      };
    case 3:
    case 4:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXMATRIX r;
        as<Fn3>(f)(&r, &in.m[0], &in.m[1]);
        append(o, r);
        return o;
      };
    case 5:
    case 9:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR2 r, a = v2(in.v[0]);
        as<Fn5>(f)(&r, &a, &in.m[0]);
        append(o, r);
        return o;
      };
    case 6:
    case 10:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR3 r, a = v3(in.v[0]);
        as<Fn6>(f)(&r, &a, &in.m[0]);
        append(o, r);
        return o;
      };
    case 7:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR3 r, a = v3(in.v[0]);
        as<Fn7>(f)(&r, &a);
        append(o, r);
        return o;
      };
    case 8:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        as<Fn8>(f)(&r, &in.v[0]);
        append(o, r);
        return o;
      };
    case 11:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        append(o, as<Fn11>(f)(&in.m[0]));
        return o;
      };
    case 13:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXPLANE r;
        D3DXVECTOR3 a = v3(in.v[0]), b = v3(in.v[1]), c = v3(in.v[2]);
        as<Fn13>(f)(&r, &a, &b, &c);
        append(o, r);
        return o;
      };
    case 16:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        as<Fn16>(f)(&r, &in.v[0], &in.v[1], &in.v[2]);
        append(o, r);
        return o;
      };
    case 17:
    case 47:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR2 r, a = v2(in.v[0]), b = v2(in.v[1]), c = v2(in.v[2]), d = v2(in.v[3]);
        as<Fn17>(f)(&r, &a, &b, &c, &d, in.s[0]);
        append(o, r);
        return o;
      };
    case 18:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXMATRIX r;
        std::memset(&r, 0, sizeof r);
        float det = -1;
        o.null = as<Fn18>(f)(&r, &det, &in.m[0]) == nullptr;
        append(o, r);
        append(o, det);
        return o;
      };
    case 19:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXQUATERNION r, a = qt(in.v[0]), b = qt(in.v[1]);
        as<Fn19>(f)(&r, &a, &b);
        append(o, r);
        return o;
      };
    case 20:
    case 44:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXQUATERNION r, a = qt(in.v[0]);
        as<Fn20>(f)(&r, &a);
        append(o, r);
        return o;
      };
    case 21:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXPLANE r, a = pl(in.v[0]);
        as<Fn21>(f)(&r, &a);
        append(o, r);
        return o;
      };
    case 22:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR3 r(0, 0, 0), a = v3(in.v[1]), b = v3(in.v[2]);
        D3DXPLANE p = pl(in.v[0]);
        o.null = as<Fn22>(f)(&r, &p, &a, &b) == nullptr;
        append(o, r);
        return o;
      };
    case 24:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXQUATERNION r;
        as<Fn24>(f)(&r, &in.m[0]);
        append(o, r);
        return o;
      };
    case 25:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXQUATERNION r;
        as<Fn25>(f)(&r, in.s[0], in.s[1], in.s[2]);
        append(o, r);
        return o;
      };
    case 27:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXMATRIX r;
        D3DXPLANE p = pl(in.v[1]);
        as<Fn27>(f)(&r, &in.v[0], &p);
        append(o, r);
        return o;
      };
    case 28:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXMATRIX r;
        D3DXPLANE p = pl(in.v[0]);
        as<Fn28>(f)(&r, &p);
        append(o, r);
        return o;
      };
    case 30:
    case 31:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXMATRIX r;
        as<Fn30>(f)(&r, in.s[0]);
        append(o, r);
        return o;
      };
    case 48:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR2 r, a = v2(in.v[0]), b = v2(in.v[1]), c = v2(in.v[2]);
        as<Fn48>(f)(&r, &a, &b, &c, in.s[0], in.s[1]);
        append(o, r);
        return o;
      };
    case 49:
    case 50:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR3 r, a = v3(in.v[0]), b = v3(in.v[1]), c = v3(in.v[2]), d = v3(in.v[3]);
        as<Fn49>(f)(&r, &a, &b, &c, &d, in.s[0]);
        append(o, r);
        return o;
      };
    case 51:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR3 r, a = v3(in.v[0]), b = v3(in.v[1]), c = v3(in.v[2]);
        as<Fn51>(f)(&r, &a, &b, &c, in.s[0], in.s[1]);
        append(o, r);
        return o;
      };
    case 52:
    case 53:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        as<Fn52>(f)(&r, &in.v[0], &in.v[1], &in.v[2], &in.v[3], in.s[0]);
        append(o, r);
        return o;
      };
    case 54:
      return [](AnyMathFn f, const Inputs& in) {
        Outcome o;
        D3DXVECTOR4 r;
        as<Fn54>(f)(&r, &in.v[0], &in.v[1], &in.v[2], in.s[0], in.s[1]);
        append(o, r);
        return o;
      };
    default:
      return nullptr;
  }
}

Inputs filled(const std::string& name, float matrixValue, float vectorValue, float scalar) {
  Inputs in;
  in.name = name;
  for (auto& m : in.m)
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = matrixValue;
  for (auto& v : in.v) v = D3DXVECTOR4(vectorValue, vectorValue, vectorValue, vectorValue);
  for (float& s : in.s) s = scalar;
  return in;
}

std::vector<Inputs> inputTable() {
  std::vector<Inputs> table;
  {  // ordinary: a rigid transform with a projective column, and everyday vectors
    Inputs in = filled("ordinary", 0, 0, 0);
    D3DXMATRIX r, t;
    D3DXMatrixRotationYawPitchRoll(&r, 0.4f, 1.2f, -0.3f);
    D3DXMatrixTranslation(&t, 3, -1, 2);
    D3DXMatrixMultiply(&in.m[0], &r, &t);
    in.m[0]._14 = 0.1f, in.m[0]._44 = 1.5f;
    D3DXMatrixRotationYawPitchRoll(&in.m[1], -1.0f, 0.2f, 2.0f);
    in.v[0] = D3DXVECTOR4(1, -2, 3, 0.5f);
    in.v[1] = D3DXVECTOR4(-0.5f, 0.25f, 2, 1);
    in.v[2] = D3DXVECTOR4(4, 1, -1, -2);
    in.v[3] = D3DXVECTOR4(0.3f, 0.6f, 0.9f, 1.2f);
    in.s[0] = 0.35f, in.s[1] = 0.4f, in.s[2] = -1.3f;
    table.push_back(in);
  }
  table.push_back(filled("zero", 0, 0, 0));
  table.push_back(filled("tiny", 1e-20f, 1e-20f, 1e-20f));
  table.push_back(filled("small", 1e-4f, 1e-8f, 1e-4f));  // squares between 2^-126 and 2^-46
  {
    Inputs in = filled("near one", 0, 0, 1.0f);
    D3DXMatrixScaling(&in.m[0], 1, 1, 1);
    D3DXMatrixScaling(&in.m[1], 1.000001f, 1, 1);
    for (auto& v : in.v) v = D3DXVECTOR4(1.000002f, 0, 0, 0);
    in.v[1] = D3DXVECTOR4(0, 0.9999995f, 0, 0.0001f);
    in.v[2] = D3DXVECTOR4(0, 0, 1.000003f, 0);
    table.push_back(in);
  }
  {
    Inputs in = filled("NaN", 1, 1, 0.5f);
    in.m[0]._11 = kNan;
    for (auto& v : in.v) v.x = kNan;
    in.s[0] = kNan;
    table.push_back(in);
  }
  table.push_back(filled("huge", 1e30f, 1e30f, 1e30f));
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> dist(-10.0f, 10.0f);
  for (int k = 0; k < 25; ++k) {
    Inputs in = filled("random " + std::to_string(k), 0, 0, 0);
    for (auto& m : in.m)
      for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = dist(rng);
    for (auto& v : in.v) v = D3DXVECTOR4(dist(rng), dist(rng), dist(rng), dist(rng));
    for (float& s : in.s) s = dist(rng) * 0.1f;
    table.push_back(in);
  }
  return table;
}

// What a variant produces instead of the base result on a documented degenerate input.
enum class Instead { kZero, kAllNan, kNormalized };
struct Difference {
  int entry;
  const char* input;
  Instead instead;
  const char* why;
};
const Difference kDifferences[] = {
    {7, "small", Instead::kZero, "the variant returns zero below 2^-46; the base normalises"},
    {7, "NaN", Instead::kAllNan, "the variant scales every component by a NaN estimate"},
    {7, "huge", Instead::kAllNan, "the squared length overflows: the estimate is 0 and the Newton step NaN"},
    {7, "near one", Instead::kNormalized, "the variant has no near-one shortcut"},
};

bool agrees(const Outcome& base, const Outcome& variant, std::string* why) {
  if (base.null != variant.null) {
    *why = "NULL result differs";
    return false;
  }
  float scale = 0;
  for (float b : base.values)
    if (std::isfinite(b)) scale = std::max(scale, std::fabs(b));
  for (size_t i = 0; i < base.values.size(); ++i) {
    float b = base.values[i], v = variant.values[i];
    if (std::isnan(b) && std::isnan(v)) continue;
    if (std::isinf(b) || std::isinf(v)) {
      if (b == v) continue;
    } else if (std::fabs(b - v) <= 2e-5f * (1 + scale)) {
      continue;
    }
    *why =
        "component " + std::to_string(i) + ": base " + std::to_string(b) + ", variant " + std::to_string(v);
    return false;
  }
  return true;
}

bool producesInstead(const Outcome& variant, Instead instead, const Inputs& in) {
  switch (instead) {
    case Instead::kZero:
      for (float v : variant.values)
        if (v != 0.0f) return false;
      return true;
    case Instead::kAllNan:
      for (float v : variant.values)
        if (!std::isnan(v)) return false;
      return true;
    case Instead::kNormalized: {
      D3DXVECTOR3 x = v3(in.v[0]);
      double length = std::sqrt(double(x.x) * x.x + double(x.y) * x.y + double(x.z) * x.z);
      for (int i = 0; i < 3; ++i)
        if (std::fabs(variant.values[i] - (&x.x)[i] / length) > 2e-6) return false;
      return true;
    }
  }
  return false;
}

struct SetUnderTest {
  const char* name;
  void (*apply)(MathTable&);
};

class VariantsTest : public test::DispatchStateTest {};

TEST_F(VariantsTest, EveryVariantAgreesWithItsBase) {
  // The variants call other operations through the public entry points: run those on the base set.
  MathTable base;
  fillBaseSet(base);
  setMathTableForTesting(base, kProcessorBase);
  const std::vector<Inputs> inputs = inputTable();
  const SetUnderTest sets[] = {{"SSE", applySseSet}, {"SSE2", applySse2Set}};
  for (const SetUnderTest& set : sets) {
    MathTable table = base;
    set.apply(table);
    int compared = 0;
    for (int entry = 0; entry < kMathEntryCount; ++entry) {
      AnyMathFn variantFn = mathTableEntry(table, entry), baseFn = mathTableEntry(base, entry);
      if (variantFn == baseFn) continue;
      Runner run = runnerFor(entry);
      ASSERT_TRUE(run) << "no runner for entry " << entry;
      ++compared;
      for (const Inputs& in : inputs) {
        SCOPED_TRACE(std::string(set.name) + " " + mathEntryName(entry) + " on " + in.name);
        Outcome b = run(baseFn, in), v = run(variantFn, in);
        const Difference* documented = nullptr;
        for (const Difference& d : kDifferences)
          if (d.entry == entry && in.name == d.input) documented = &d;
        if (documented != nullptr) {
          EXPECT_TRUE(producesInstead(v, documented->instead, in)) << documented->why;
          continue;
        }
        std::string why;
        EXPECT_TRUE(agrees(b, v, &why)) << why;
      }
    }
    EXPECT_EQ(compared, std::string(set.name) == "SSE" ? 33 : 34);
  }
}

// Every variant accepts its output as one of its inputs.
TEST_F(VariantsTest, OutputMayAliasAnInput) {
  MathTable base;
  fillBaseSet(base);
  setMathTableForTesting(base, kProcessorBase);
  for (void (*apply)(MathTable&) : {applySseSet, applySse2Set}) {
    MathTable t = base;
    apply(t);
    D3DXMATRIX a, b, expected;
    D3DXMatrixRotationYawPitchRoll(&a, 0.1f, 0.2f, 0.3f);
    D3DXMatrixTranslation(&b, 1, 2, 3);
    t.matrixMultiply(&expected, &a, &b);
    D3DXMATRIX x = a;
    t.matrixMultiply(&x, &x, &b);
    EXPECT_EQ(x, expected);
    x = b;
    t.matrixMultiply(&x, &a, &x);
    EXPECT_EQ(x, expected);
    t.matrixInverse(&expected, nullptr, &a);
    x = a;
    t.matrixInverse(&x, nullptr, &x);
    EXPECT_EQ(x, expected);
    D3DXVECTOR4 v(1, 2, 3, 4), w;
    t.vec4Transform(&w, &v, &a);
    t.vec4Transform(&v, &v, &a);
    EXPECT_EQ(v, w);
    D3DXQUATERNION p(0.1f, 0.2f, 0.3f, 0.9f), q(0.5f, -0.5f, 0.5f, 0.5f), pq;
    t.quaternionMultiply(&pq, &p, &q);
    t.quaternionMultiply(&q, &p, &q);
    EXPECT_EQ(q, pq);
  }
}

TEST_F(VariantsTest, Vec3NormalizeVariantRules) {
  MathTable base;
  fillBaseSet(base);
  for (void (*apply)(MathTable&) : {applySseSet, applySse2Set}) {
    MathTable t = base;
    apply(t);
    struct Case {
      const char* name;
      D3DXVECTOR3 v;
      bool zero;
    };
    const float below = std::sqrt(kSseNormalizeFloor) * 0.99f, above = std::sqrt(kSseNormalizeFloor) * 1.01f;
    const Case cases[] = {{"zero", {0, 0, 0}, true},
                          {"just below 2^-46", {below, 0, 0}, true},
                          {"just above 2^-46", {above, 0, 0}, false},
                          {"near one is still scaled", {1.000004f, 0, 0}, false},
                          {"ordinary", {3, 4, 12}, false}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      D3DXVECTOR3 out;
      t.vec3Normalize(&out, &c.v);
      if (c.zero) {
        EXPECT_EQ(out, D3DXVECTOR3(0, 0, 0));
        continue;
      }
      double length = std::sqrt(double(c.v.x) * c.v.x + double(c.v.y) * c.v.y + double(c.v.z) * c.v.z);
      EXPECT_NEAR(out.x, c.v.x / length, 2e-6);
      EXPECT_NEAR(out.z, c.v.z / length, 2e-6);
    }
  }
}

}  // namespace
}  // namespace zentu
