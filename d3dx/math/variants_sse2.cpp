// The SSE2 set: the SSE variants of 16 entries and 18 of its own, written with the integer shuffles
// and masks SSE2 adds (pshufd broadcasts, pand/pandn selects). Built with ZENTU_NO_SIMD (or without
// SSE2) the own entries run the portable code, except D3DXVec3Normalize, which keeps its rules.
#include <cmath>

#include "d3dx/math/math_internal.h"

#if !defined(ZENTU_NO_SIMD) && defined(__SSE2__)
#define ZENTU_SSE2_VARIANTS 1
#include "d3dx/math/simd_kernels.h"
#endif

namespace zentu {
namespace sse2 {

#ifdef ZENTU_SSE2_VARIANTS
using P = simd::Sse2Policy;
using namespace simd;

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
D3DXVECTOR3* vec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  store3(floats(pOut), normalCombine<P, 3>(load3(floats(pV)), loadRows(pM)));
  return pOut;
}
// The SSE rules (zero below 2^-46, no near-one shortcut, estimate plus one Newton step), without a
// branch: the zero is selected by an integer mask.
D3DXVECTOR3* vec3NormalizeVariant(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  __m128 v = load3(floats(pV));
  __m128 q = _mm_set1_ps(hsum(_mm_mul_ps(v, v)));
  __m128 r = _mm_rsqrt_ps(q);
  __m128 qrr = _mm_mul_ps(q, _mm_mul_ps(r, r));
  r = _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(0.5f), r), _mm_sub_ps(_mm_set1_ps(3.0f), qrr));
  __m128 keep = _mm_cmpnlt_ps(q, _mm_set1_ps(kSseNormalizeFloor));
  store3(floats(pOut), P::select(keep, _mm_mul_ps(v, r), _mm_setzero_ps()));
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
D3DXMATRIX* matrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
  return simd::matrixInverse<P>(pOut, pDeterminant, pM);
}
D3DXPLANE* planeNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
  return simd::planeNormalize<P>(pOut, pP);
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

namespace {
// Rows of a rotation about one axis: (c, s) placed in lanes i and j of a zero row, and the identity
// row of the fixed axis.
void storeRotation(D3DXMATRIX* out, __m128 rowI, __m128 rowJ, int fixed) {
  float* po = floats(out);
  const __m128i one = _mm_castps_si128(_mm_set_ss(1.0f));
  __m128 rows[4];
  rows[0] = _mm_castsi128_ps(one);
  rows[1] = _mm_castsi128_ps(_mm_slli_si128(one, 4));
  rows[2] = _mm_castsi128_ps(_mm_slli_si128(one, 8));
  rows[3] = _mm_castsi128_ps(_mm_slli_si128(one, 12));
  int i = fixed == 0 ? 1 : 0, j = fixed == 2 ? 1 : 2;
  rows[i] = rowI;
  rows[j] = rowJ;
  for (int k = 0; k < 4; ++k) store4(po + 4 * k, rows[k]);
}
}  // namespace

D3DXMATRIX* matrixRotationX(D3DXMATRIX* pOut, FLOAT angle) {
  float s = std::sin(angle), c = std::cos(angle);
  __m128 cs = _mm_set_ps(0.0f, s, c, 0.0f);                     // (0, c, s, 0)
  __m128 sc = _mm_xor_ps(P::perm<_MM_SHUFFLE(3, 1, 2, 0)>(cs),  // (0, -s, c, 0)
                         signMask(0.0f, -0.0f, 0.0f, 0.0f));
  storeRotation(pOut, cs, sc, 0);
  return pOut;
}
D3DXMATRIX* matrixRotationY(D3DXMATRIX* pOut, FLOAT angle) {
  float s = std::sin(angle), c = std::cos(angle);
  __m128 row0 = _mm_xor_ps(_mm_set_ps(0.0f, s, 0.0f, c), signMask(0.0f, 0.0f, -0.0f, 0.0f));  // (c, 0, -s, 0)
  __m128 row2 = _mm_set_ps(0.0f, c, 0.0f, s);                                                 // (s, 0, c, 0)
  storeRotation(pOut, row0, row2, 1);
  return pOut;
}

#else  // portable build

#define ZENTU_PORTABLE_VARIANT(index, name, publicName, ret, params, args) \
  ret name params {                                                        \
    return base::name args;                                                \
  }
ZENTU_MATH_OPS(ZENTU_PORTABLE_VARIANT)
#undef ZENTU_PORTABLE_VARIANT

// The SSE rules, as in the SSE set.
D3DXVECTOR3* vec3NormalizeVariant(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  float x = pV->x, y = pV->y, z = pV->z;
  float q = x * x + y * y + z * z;
  float r = 1.0f / std::sqrt(q);
  r = 0.5f * r * (3.0f - q * r * r);
  if (q < kSseNormalizeFloor) r = 0.0f;
  *pOut = D3DXVECTOR3(x * r, y * r, z * r);
  return pOut;
}

#endif

}  // namespace sse2

void applySse2Set(MathTable& t) {
  // The shared entries come from the SSE set; its D3DXQuaternionInverse is not one of them.
  auto keptInverse = t.quaternionInverse;
  applySseSet(t);
  t.quaternionInverse = keptInverse;

  t.vec3Transform = &sse2::vec3Transform;
  t.vec4Transform = &sse2::vec4Transform;
  t.matrixMultiply = &sse2::matrixMultiply;
  t.matrixMultiplyTranspose = &sse2::matrixMultiplyTranspose;
  t.vec3TransformNormal = &sse2::vec3TransformNormal;
  t.vec3Normalize = &sse2::vec3NormalizeVariant;
  t.vec3TransformCoord = &sse2::vec3TransformCoord;
  t.matrixDeterminant = &sse2::matrixDeterminant;
  t.planeFromPoints = &sse2::planeFromPoints;
  t.vec4Cross = &sse2::vec4Cross;
  t.matrixInverse = &sse2::matrixInverse;
  t.planeNormalize = &sse2::planeNormalize;
  t.quaternionRotationMatrix = &sse2::quaternionRotationMatrix;
  t.quaternionRotationYawPitchRoll = &sse2::quaternionRotationYawPitchRoll;
  t.matrixShadow = &sse2::matrixShadow;
  t.matrixReflect = &sse2::matrixReflect;
  t.matrixRotationX = &sse2::matrixRotationX;
  t.matrixRotationY = &sse2::matrixRotationY;
}

}  // namespace zentu
