// The SSE set: 33 entries written with SSE instructions (floating-point shuffles, masks, the
// reciprocal square root estimate). Built with ZENTU_NO_SIMD (or without SSE) it runs the portable
// code, except that D3DXVec3Normalize keeps the variant's own rules so both builds behave alike.
#include <cmath>

#include "d3dx/math/math_internal.h"

#if !defined(ZENTU_NO_SIMD) && defined(__SSE2__)
#define ZENTU_SSE_VARIANTS 1
#include "d3dx/math/simd_kernels.h"
#endif

namespace zentu {
namespace sse {

#ifdef ZENTU_SSE_VARIANTS
using P = simd::SsePolicy;
using namespace simd;

namespace {
struct Weights {
  float w0, w1, w2, w3;
};
template <int N, class V>
V* blend(V* out, const V* a, const V* b, const V* c, const V* d, const Weights& w) {
  __m128 r = _mm_mul_ps(_mm_set1_ps(w.w0), load<N>(floats(a)));
  r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(w.w1), load<N>(floats(b))));
  r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(w.w2), load<N>(floats(c))));
  r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(w.w3), load<N>(floats(d))));
  store<N>(floats(out), r);
  return out;
}
Weights hermite(float s) {
  float s2 = s * s, s3 = s2 * s;
  return {2 * s3 - 3 * s2 + 1, s3 - 2 * s2 + s, -2 * s3 + 3 * s2, s3 - s2};
}
Weights catmullRom(float s) {
  float s2 = s * s, s3 = s2 * s;
  return {0.5f * (-s3 + 2 * s2 - s), 0.5f * (3 * s3 - 5 * s2 + 2), 0.5f * (-3 * s3 + 4 * s2 + s),
          0.5f * (s3 - s2)};
}
template <int N, class V>
V* barycentric(V* out, const V* pa, const V* pb, const V* pc, float f, float g) {
  __m128 a = load<N>(floats(pa));
  __m128 r = _mm_add_ps(a, _mm_mul_ps(_mm_set1_ps(f), _mm_sub_ps(load<N>(floats(pb)), a)));
  r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(g), _mm_sub_ps(load<N>(floats(pc)), a)));
  store<N>(floats(out), r);
  return out;
}
template <class V>
V* normalize4(V* out, const V* pv) {
  __m128 v = load4(floats(pv));
  store4(floats(out), scaleByRsqrtOrKeep(v, hsum(_mm_mul_ps(v, v))));
  return out;
}
}  // namespace

D3DXVECTOR4* vec2Transform(D3DXVECTOR4* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  store4(floats(pOut), pointCombine<P, 2>(load2(floats(pV)), loadRows(pM)));
  return pOut;
}
D3DXVECTOR4* vec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  store4(floats(pOut), pointCombine<P, 3>(load3(floats(pV)), loadRows(pM)));
  return pOut;
}
D3DXVECTOR4* vec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
  store4(floats(pOut), rowCombine<P>(load4(floats(pV)), loadRows(pM)));
  return pOut;
}
D3DXMATRIX* matrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  simd::matrixMultiply<P>(pOut, pM1, pM2);
  return pOut;
}
D3DXMATRIX* matrixMultiplyTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  simd::matrixMultiplyTranspose<P>(pOut, pM1, pM2);
  return pOut;
}
D3DXVECTOR2* vec2TransformNormal(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  store2(floats(pOut), normalCombine<P, 2>(load2(floats(pV)), loadRows(pM)));
  return pOut;
}
D3DXVECTOR3* vec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  store3(floats(pOut), normalCombine<P, 3>(load3(floats(pV)), loadRows(pM)));
  return pOut;
}

// No near-one shortcut; below 2^-46 the result is zero; else the reciprocal square root estimate
// refined by one Newton step, 0.5 r (3 - q r^2).
D3DXVECTOR3* vec3NormalizeVariant(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  __m128 v = load3(floats(pV));
  __m128 q = _mm_set_ss(hsum(_mm_mul_ps(v, v)));
  if (_mm_movemask_ps(_mm_cmplt_ss(q, _mm_set_ss(kSseNormalizeFloor))) & 1) {  // NaN goes on
    store3(floats(pOut), _mm_setzero_ps());
    return pOut;
  }
  __m128 r = _mm_rsqrt_ss(q);
  __m128 qrr = _mm_mul_ss(q, _mm_mul_ss(r, r));
  r = _mm_mul_ss(_mm_mul_ss(_mm_set_ss(0.5f), r), _mm_sub_ss(_mm_set_ss(3.0f), qrr));
  store3(floats(pOut), _mm_mul_ps(v, _mm_shuffle_ps(r, r, 0)));
  return pOut;
}

D3DXVECTOR4* vec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
  return normalize4(pOut, pV);
}

D3DXVECTOR2* vec2TransformCoord(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  store2(floats(pOut), divideByW<P>(pointCombine<P, 2>(load2(floats(pV)), loadRows(pM))));
  return pOut;
}
D3DXVECTOR3* vec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  store3(floats(pOut), divideByW<P>(pointCombine<P, 3>(load3(floats(pV)), loadRows(pM))));
  return pOut;
}
FLOAT matrixDeterminant(const D3DXMATRIX* pM) {
  return determinant(adjugate<P>(pM, false));
}
D3DXPLANE* planeFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                           const D3DXVECTOR3* pV3) {
  return simd::planeFromPoints<P>(pOut, pV1, pV2, pV3);
}
D3DXVECTOR4* vec4Cross(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                       const D3DXVECTOR4* pV3) {
  return simd::vec4Cross<P>(pOut, pV1, pV2, pV3);
}
D3DXVECTOR2* vec2Hermite(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pT1,
                         const D3DXVECTOR2* pV2, const D3DXVECTOR2* pT2, FLOAT s) {
  return blend<2>(pOut, pV1, pT1, pV2, pT2, hermite(s));
}
D3DXMATRIX* matrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
  return simd::matrixInverse<P>(pOut, pDeterminant, pM);
}
D3DXQUATERNION* quaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                   const D3DXQUATERNION* pQ2) {
  __m128 a = load4(floats(pQ1)), b = load4(floats(pQ2));
  __m128 t1 = _mm_mul_ps(a, P::splat<3>(b));
  __m128 t2 = _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 3, 3, 3)),
                         _mm_shuffle_ps(b, b, _MM_SHUFFLE(0, 2, 1, 0)));
  __m128 t3 = _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 1, 0, 2)),
                         _mm_shuffle_ps(b, b, _MM_SHUFFLE(1, 0, 2, 1)));
  __m128 t4 = _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 0, 2, 1)),
                         _mm_shuffle_ps(b, b, _MM_SHUFFLE(2, 1, 0, 2)));
  const __m128 lastNegative = signMask(0.0f, 0.0f, 0.0f, -0.0f);
  __m128 r = _mm_add_ps(t1, _mm_xor_ps(t2, lastNegative));
  r = _mm_add_ps(r, _mm_xor_ps(t3, lastNegative));
  store4(floats(pOut), _mm_sub_ps(r, t4));
  return pOut;
}
D3DXQUATERNION* quaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  return normalize4(pOut, pQ);
}
D3DXPLANE* planeNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
  return simd::planeNormalize<P>(pOut, pP);
}
D3DXVECTOR3* planeIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                const D3DXVECTOR3* pV2) {
  __m128 n = _mm_and_ps(load4(floats(pP)), maskXyz());
  __m128 v1 = load3(floats(pV1)), v2 = load3(floats(pV2));
  float d1 = hsum(_mm_mul_ps(n, v1)), d2 = hsum(_mm_mul_ps(n, v2));
  float delta = d1 - d2;
  if (delta == 0.0f) return nullptr;
  float t = (d1 + pP->d) / delta;
  if (!std::isfinite(t)) return nullptr;
  store3(floats(pOut), _mm_add_ps(v1, _mm_mul_ps(_mm_set1_ps(t), _mm_sub_ps(v2, v1))));
  return pOut;
}
D3DXQUATERNION* quaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
  return simd::quaternionRotationMatrix<P>(pOut, pM);
}
D3DXQUATERNION* quaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll) {
  return simd::quaternionRotationYawPitchRoll<P>(pOut, yaw, pitch, roll);
}
D3DXMATRIX* matrixShadow(D3DXMATRIX* pOut, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane) {
  return simd::matrixShadow<P>(pOut, pLight, pPlane);
}
D3DXMATRIX* matrixReflect(D3DXMATRIX* pOut, const D3DXPLANE* pPlane) {
  return simd::matrixReflect<P>(pOut, pPlane);
}
D3DXQUATERNION* quaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  __m128 q = load4(floats(pQ));
  float n = hsum(_mm_mul_ps(q, q));
  __m128 r;
  if (n <= 1.0842022e-19f) {
    r = _mm_setzero_ps();
  } else {
    r = _mm_xor_ps(q, signMask(-0.0f, -0.0f, -0.0f, 0.0f));
    if (!nearOne(n)) r = _mm_mul_ps(r, _mm_set1_ps(1.0f / n));
  }
  store4(floats(pOut), r);
  return pOut;
}
D3DXVECTOR2* vec2CatmullRom(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV0, const D3DXVECTOR2* pV1,
                            const D3DXVECTOR2* pV2, const D3DXVECTOR2* pV3, FLOAT s) {
  return blend<2>(pOut, pV0, pV1, pV2, pV3, catmullRom(s));
}
D3DXVECTOR2* vec2BaryCentric(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2,
                             const D3DXVECTOR2* pV3, FLOAT f, FLOAT g) {
  return barycentric<2>(pOut, pV1, pV2, pV3, f, g);
}
D3DXVECTOR3* vec3Hermite(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pT1,
                         const D3DXVECTOR3* pV2, const D3DXVECTOR3* pT2, FLOAT s) {
  return blend<3>(pOut, pV1, pT1, pV2, pT2, hermite(s));
}
D3DXVECTOR3* vec3CatmullRom(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV0, const D3DXVECTOR3* pV1,
                            const D3DXVECTOR3* pV2, const D3DXVECTOR3* pV3, FLOAT s) {
  return blend<3>(pOut, pV0, pV1, pV2, pV3, catmullRom(s));
}
D3DXVECTOR3* vec3BaryCentric(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                             const D3DXVECTOR3* pV3, FLOAT f, FLOAT g) {
  return barycentric<3>(pOut, pV1, pV2, pV3, f, g);
}
D3DXVECTOR4* vec4Hermite(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pT1,
                         const D3DXVECTOR4* pV2, const D3DXVECTOR4* pT2, FLOAT s) {
  return blend<4>(pOut, pV1, pT1, pV2, pT2, hermite(s));
}
D3DXVECTOR4* vec4CatmullRom(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV0, const D3DXVECTOR4* pV1,
                            const D3DXVECTOR4* pV2, const D3DXVECTOR4* pV3, FLOAT s) {
  return blend<4>(pOut, pV0, pV1, pV2, pV3, catmullRom(s));
}
D3DXVECTOR4* vec4BaryCentric(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                             const D3DXVECTOR4* pV3, FLOAT f, FLOAT g) {
  return barycentric<4>(pOut, pV1, pV2, pV3, f, g);
}

#else  // portable build

#define ZENTU_PORTABLE_VARIANT(index, name, publicName, ret, params, args) \
  ret name params {                                                        \
    return base::name args;                                                \
  }
ZENTU_MATH_OPS(ZENTU_PORTABLE_VARIANT)
#undef ZENTU_PORTABLE_VARIANT

// No near-one shortcut; below 2^-46 the result is zero; else a reciprocal square root refined by one
// Newton step.
D3DXVECTOR3* vec3NormalizeVariant(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  float x = pV->x, y = pV->y, z = pV->z;
  float q = x * x + y * y + z * z;
  if (q < kSseNormalizeFloor) {
    *pOut = D3DXVECTOR3(0, 0, 0);
    return pOut;
  }
  float r = 1.0f / std::sqrt(q);
  r = 0.5f * r * (3.0f - q * r * r);
  *pOut = D3DXVECTOR3(x * r, y * r, z * r);
  return pOut;
}

#endif

}  // namespace sse

void applySseSet(MathTable& t) {
  t.vec2Transform = &sse::vec2Transform;
  t.vec3Transform = &sse::vec3Transform;
  t.vec4Transform = &sse::vec4Transform;
  t.matrixMultiply = &sse::matrixMultiply;
  t.matrixMultiplyTranspose = &sse::matrixMultiplyTranspose;
  t.vec2TransformNormal = &sse::vec2TransformNormal;
  t.vec3TransformNormal = &sse::vec3TransformNormal;
  t.vec3Normalize = &sse::vec3NormalizeVariant;
  t.vec4Normalize = &sse::vec4Normalize;
  t.vec2TransformCoord = &sse::vec2TransformCoord;
  t.vec3TransformCoord = &sse::vec3TransformCoord;
  t.matrixDeterminant = &sse::matrixDeterminant;
  t.planeFromPoints = &sse::planeFromPoints;
  t.vec4Cross = &sse::vec4Cross;
  t.vec2Hermite = &sse::vec2Hermite;
  t.matrixInverse = &sse::matrixInverse;
  t.quaternionMultiply = &sse::quaternionMultiply;
  t.quaternionNormalize = &sse::quaternionNormalize;
  t.planeNormalize = &sse::planeNormalize;
  t.planeIntersectLine = &sse::planeIntersectLine;
  t.quaternionRotationMatrix = &sse::quaternionRotationMatrix;
  t.quaternionRotationYawPitchRoll = &sse::quaternionRotationYawPitchRoll;
  t.matrixShadow = &sse::matrixShadow;
  t.matrixReflect = &sse::matrixReflect;
  t.quaternionInverse = &sse::quaternionInverse;
  t.vec2CatmullRom = &sse::vec2CatmullRom;
  t.vec2BaryCentric = &sse::vec2BaryCentric;
  t.vec3Hermite = &sse::vec3Hermite;
  t.vec3CatmullRom = &sse::vec3CatmullRom;
  t.vec3BaryCentric = &sse::vec3BaryCentric;
  t.vec4Hermite = &sse::vec4Hermite;
  t.vec4CatmullRom = &sse::vec4CatmullRom;
  t.vec4BaryCentric = &sse::vec4BaryCentric;
}

}  // namespace zentu
