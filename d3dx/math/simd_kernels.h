// Kernels shared by the SSE and SSE2 variant sets, written once over an instruction policy: the SSE
// policy broadcasts and selects with floating-point shuffles and masks only, the SSE2 policy with the
// integer shuffles and masks that set adds (pshufd, pand/pandn). Included only where the compiler
// offers both instruction sets.
#pragma once

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace simd {

struct SsePolicy {
  template <int imm>
  static __m128 perm(__m128 v) {
    return _mm_shuffle_ps(v, v, imm);
  }
  template <int i>
  static __m128 splat(__m128 v) {
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(i, i, i, i));
  }
  // mask ? a : b, for all-ones or all-zero lanes.
  static __m128 select(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
  }
};

struct Sse2Policy {
  template <int imm>
  static __m128 perm(__m128 v) {
    return _mm_castsi128_ps(_mm_shuffle_epi32(_mm_castps_si128(v), imm));
  }
  template <int i>
  static __m128 splat(__m128 v) {
    return perm<_MM_SHUFFLE(i, i, i, i)>(v);
  }
  static __m128 select(__m128 mask, __m128 a, __m128 b) {
    __m128i m = _mm_castps_si128(mask);
    return _mm_castsi128_ps(
        _mm_or_si128(_mm_and_si128(m, _mm_castps_si128(a)), _mm_andnot_si128(m, _mm_castps_si128(b))));
  }
};

inline const float* floats(const void* p) {
  return static_cast<const float*>(p);
}
inline float* floats(void* p) {
  return static_cast<float*>(p);
}

inline __m128 load2(const float* p) {
  return _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));
}
inline __m128 load3(const float* p) {
  return _mm_movelh_ps(load2(p), _mm_load_ss(p + 2));
}
inline __m128 load4(const float* p) {
  return _mm_loadu_ps(p);
}
inline void store2(float* p, __m128 v) {
  _mm_storel_pi(reinterpret_cast<__m64*>(p), v);
}
inline void store3(float* p, __m128 v) {
  store2(p, v);
  _mm_store_ss(p + 2, _mm_movehl_ps(v, v));
}
inline void store4(float* p, __m128 v) {
  _mm_storeu_ps(p, v);
}

template <int N>
inline __m128 load(const float* p) {
  return N == 2 ? load2(p) : N == 3 ? load3(p) : load4(p);
}
template <int N>
inline void store(float* p, __m128 v) {
  if (N == 2)
    store2(p, v);
  else if (N == 3)
    store3(p, v);
  else
    store4(p, v);
}

struct Rows {
  __m128 r[4];
};
inline Rows loadRows(const D3DXMATRIX* m) {
  const float* p = floats(m);
  return {{load4(p), load4(p + 4), load4(p + 8), load4(p + 12)}};
}

inline float hsum(__m128 v) {
  __m128 t = _mm_add_ps(v, _mm_movehl_ps(v, v));
  t = _mm_add_ss(t, _mm_shuffle_ps(t, t, _MM_SHUFFLE(1, 1, 1, 1)));
  return _mm_cvtss_f32(t);
}

inline __m128 signMask(float x, float y, float z, float w) {
  return _mm_set_ps(w, z, y, x);
}

// v x M over the four rows with v's lanes broadcast by the policy.
template <class P>
inline __m128 rowCombine(__m128 v, const Rows& m) {
  __m128 r = _mm_mul_ps(P::template splat<0>(v), m.r[0]);
  r = _mm_add_ps(r, _mm_mul_ps(P::template splat<1>(v), m.r[1]));
  r = _mm_add_ps(r, _mm_mul_ps(P::template splat<2>(v), m.r[2]));
  return _mm_add_ps(r, _mm_mul_ps(P::template splat<3>(v), m.r[3]));
}
// (v, 1) x M for a point with N < 4 components (lanes of v above N are ignored).
template <class P, int N>
inline __m128 pointCombine(__m128 v, const Rows& m) {
  __m128 r = _mm_add_ps(m.r[3], _mm_mul_ps(P::template splat<0>(v), m.r[0]));
  r = _mm_add_ps(r, _mm_mul_ps(P::template splat<1>(v), m.r[1]));
  if (N == 3) r = _mm_add_ps(r, _mm_mul_ps(P::template splat<2>(v), m.r[2]));
  return r;
}
// v x the upper rows of M (no translation).
template <class P, int N>
inline __m128 normalCombine(__m128 v, const Rows& m) {
  __m128 r = _mm_mul_ps(P::template splat<0>(v), m.r[0]);
  r = _mm_add_ps(r, _mm_mul_ps(P::template splat<1>(v), m.r[1]));
  if (N == 3) r = _mm_add_ps(r, _mm_mul_ps(P::template splat<2>(v), m.r[2]));
  return r;
}

// Divides by w' unless it is near one.
template <class P>
inline __m128 divideByW(__m128 r) {
  float w = _mm_cvtss_f32(P::template splat<3>(r));
  if (nearOne(w)) return r;
  return _mm_mul_ps(r, _mm_set1_ps(1.0f / w));
}

template <class P>
inline void matrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  Rows m2 = loadRows(b);
  const float* pa = floats(a);
  __m128 r0 = rowCombine<P>(load4(pa), m2);
  __m128 r1 = rowCombine<P>(load4(pa + 4), m2);
  __m128 r2 = rowCombine<P>(load4(pa + 8), m2);
  __m128 r3 = rowCombine<P>(load4(pa + 12), m2);
  float* po = floats(out);
  store4(po, r0), store4(po + 4, r1), store4(po + 8, r2), store4(po + 12, r3);
}

template <class P>
inline void matrixMultiplyTranspose(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  Rows m2 = loadRows(b);
  const float* pa = floats(a);
  __m128 r0 = rowCombine<P>(load4(pa), m2);
  __m128 r1 = rowCombine<P>(load4(pa + 4), m2);
  __m128 r2 = rowCombine<P>(load4(pa + 8), m2);
  __m128 r3 = rowCombine<P>(load4(pa + 12), m2);
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  float* po = floats(out);
  store4(po, r0), store4(po + 4, r1), store4(po + 8, r2), store4(po + 12, r3);
}

// The adjugate of M from its twelve 2 x 2 minors, four cofactors per vector, in the same order of
// operations as the portable code.
struct Adjugate {
  __m128 row[4];
  __m128 column0;  // the first column of M, for the determinant
};

template <class P>
inline Adjugate adjugate(const D3DXMATRIX* pm, bool allRows) {
  Rows m = loadRows(pm);
  // Minors of rows 0-1 (s) and rows 2-3 (c): (x0 y1 - y0 x1, x0 z1 - z0 x1, x0 w1 - w0 x1, y0 z1 - z0 y1)
  // and (y0 w1 - w0 y1, z0 w1 - w0 z1).
  auto minors = [](__m128 a, __m128 b, __m128* first, __m128* second) {
    __m128 aL = P::template perm<_MM_SHUFFLE(1, 0, 0, 0)>(a);
    __m128 bR = P::template perm<_MM_SHUFFLE(2, 3, 2, 1)>(b);
    __m128 aR = P::template perm<_MM_SHUFFLE(2, 3, 2, 1)>(a);
    __m128 bL = P::template perm<_MM_SHUFFLE(1, 0, 0, 0)>(b);
    *first = _mm_sub_ps(_mm_mul_ps(aL, bR), _mm_mul_ps(aR, bL));
    __m128 a2 = P::template perm<_MM_SHUFFLE(3, 3, 2, 1)>(a);
    __m128 b2 = P::template perm<_MM_SHUFFLE(3, 3, 3, 3)>(b);
    __m128 a3 = P::template perm<_MM_SHUFFLE(3, 3, 3, 3)>(a);
    __m128 b3 = P::template perm<_MM_SHUFFLE(3, 3, 2, 1)>(b);
    *second = _mm_sub_ps(_mm_mul_ps(a2, b2), _mm_mul_ps(a3, b3));
  };
  __m128 s03, s45, c03, c45;
  minors(m.r[0], m.r[1], &s03, &s45);
  minors(m.r[2], m.r[3], &c03, &c45);
  // Columns of M permuted to (row1, row0, row3, row2).
  __m128 lo01 = _mm_unpacklo_ps(m.r[1], m.r[0]), lo23 = _mm_unpacklo_ps(m.r[3], m.r[2]);
  __m128 hi01 = _mm_unpackhi_ps(m.r[1], m.r[0]), hi23 = _mm_unpackhi_ps(m.r[3], m.r[2]);
  __m128 cx = _mm_movelh_ps(lo01, lo23), cy = _mm_movehl_ps(lo23, lo01);
  __m128 cz = _mm_movelh_ps(hi01, hi23), cw = _mm_movehl_ps(hi23, hi01);
  // k(i) = (c_i, c_i, s_i, s_i).
  __m128 k0 = _mm_shuffle_ps(c03, s03, _MM_SHUFFLE(0, 0, 0, 0));
  __m128 k1 = _mm_shuffle_ps(c03, s03, _MM_SHUFFLE(1, 1, 1, 1));
  __m128 k2 = _mm_shuffle_ps(c03, s03, _MM_SHUFFLE(2, 2, 2, 2));
  __m128 k3 = _mm_shuffle_ps(c03, s03, _MM_SHUFFLE(3, 3, 3, 3));
  __m128 k4 = _mm_shuffle_ps(c45, s45, _MM_SHUFFLE(0, 0, 0, 0));
  __m128 k5 = _mm_shuffle_ps(c45, s45, _MM_SHUFFLE(1, 1, 1, 1));
  const __m128 even = signMask(0.0f, -0.0f, 0.0f, -0.0f);
  const __m128 odd = signMask(-0.0f, 0.0f, -0.0f, 0.0f);
  Adjugate adj;
  adj.row[0] =
      _mm_xor_ps(_mm_add_ps(_mm_sub_ps(_mm_mul_ps(cy, k5), _mm_mul_ps(cz, k4)), _mm_mul_ps(cw, k3)), even);
  if (allRows) {
    adj.row[1] =
        _mm_xor_ps(_mm_add_ps(_mm_sub_ps(_mm_mul_ps(cx, k5), _mm_mul_ps(cz, k2)), _mm_mul_ps(cw, k1)), odd);
    adj.row[2] =
        _mm_xor_ps(_mm_add_ps(_mm_sub_ps(_mm_mul_ps(cx, k4), _mm_mul_ps(cy, k2)), _mm_mul_ps(cw, k0)), even);
    adj.row[3] =
        _mm_xor_ps(_mm_add_ps(_mm_sub_ps(_mm_mul_ps(cx, k3), _mm_mul_ps(cy, k1)), _mm_mul_ps(cz, k0)), odd);
  }
  adj.column0 = P::template perm<_MM_SHUFFLE(2, 3, 0, 1)>(cx);
  return adj;
}

// The determinant by the first column, summed in the portable code's order.
inline float determinant(const Adjugate& adj) {
  alignas(16) float p[4];
  _mm_store_ps(p, _mm_mul_ps(adj.column0, adj.row[0]));
  return p[0] + p[1] + p[2] + p[3];
}

template <class P>
inline D3DXMATRIX* matrixInverse(D3DXMATRIX* out, float* pDeterminant, const D3DXMATRIX* m) {
  Adjugate adj = adjugate<P>(m, true);
  float det = determinant(adj);
  if (pDeterminant != nullptr) *pDeterminant = det;
  float r = 1.0f / det;
  if (!std::isfinite(r) || !std::isfinite(det)) return nullptr;
  __m128 k = _mm_set1_ps(r);
  float* po = floats(out);
  for (int i = 0; i < 4; ++i) store4(po + 4 * i, _mm_mul_ps(adj.row[i], k));
  return out;
}

// The cross product of 3-vectors in lanes x, y, z.
template <class P>
inline __m128 cross3(__m128 a, __m128 b) {
  __m128 aYzx = P::template perm<_MM_SHUFFLE(3, 0, 2, 1)>(a);
  __m128 bYzx = P::template perm<_MM_SHUFFLE(3, 0, 2, 1)>(b);
  __m128 c = _mm_sub_ps(_mm_mul_ps(a, bYzx), _mm_mul_ps(aYzx, b));
  return P::template perm<_MM_SHUFFLE(3, 0, 2, 1)>(c);
}

template <class P>
inline D3DXVECTOR4* vec4Cross(D3DXVECTOR4* out, const D3DXVECTOR4* pU, const D3DXVECTOR4* pV,
                              const D3DXVECTOR4* pW) {
  __m128 u = load4(floats(pU)), v = load4(floats(pV)), w = load4(floats(pW));
  // p = (a, b, c, d), q = (e, f, -, -): the 2 x 2 minors of V and W.
  __m128 p = _mm_sub_ps(
      _mm_mul_ps(P::template perm<_MM_SHUFFLE(1, 0, 0, 0)>(v), P::template perm<_MM_SHUFFLE(2, 3, 2, 1)>(w)),
      _mm_mul_ps(P::template perm<_MM_SHUFFLE(2, 3, 2, 1)>(v), P::template perm<_MM_SHUFFLE(1, 0, 0, 0)>(w)));
  __m128 q = _mm_sub_ps(
      _mm_mul_ps(P::template perm<_MM_SHUFFLE(2, 1, 2, 1)>(v), P::template perm<_MM_SHUFFLE(3, 3, 3, 3)>(w)),
      _mm_mul_ps(P::template perm<_MM_SHUFFLE(3, 3, 3, 3)>(v), P::template perm<_MM_SHUFFLE(2, 1, 2, 1)>(w)));
  __m128 eedd = _mm_shuffle_ps(q, p, _MM_SHUFFLE(3, 3, 0, 0));
  __m128 k1 = _mm_shuffle_ps(q, eedd, _MM_SHUFFLE(2, 0, 1, 1));  // (f, f, e, d)
  __m128 eecc = _mm_shuffle_ps(q, p, _MM_SHUFFLE(2, 2, 0, 0));
  __m128 k2 = _mm_shuffle_ps(eecc, p, _MM_SHUFFLE(1, 2, 2, 0));  // (e, c, c, b)
  __m128 k3 = P::template perm<_MM_SHUFFLE(0, 0, 1, 3)>(p);      // (d, b, a, a)
  __m128 t1 = _mm_mul_ps(P::template perm<_MM_SHUFFLE(0, 0, 0, 1)>(u), k1);
  __m128 t2 = _mm_mul_ps(P::template perm<_MM_SHUFFLE(1, 1, 2, 2)>(u), k2);
  __m128 t3 = _mm_mul_ps(P::template perm<_MM_SHUFFLE(2, 3, 3, 3)>(u), k3);
  __m128 r = _mm_xor_ps(_mm_add_ps(_mm_sub_ps(t1, t2), t3), signMask(0.0f, -0.0f, 0.0f, -0.0f));
  store4(floats(out), r);
  return out;
}

}  // namespace simd
}  // namespace zentu

namespace zentu {
namespace simd {

// Scales lanes x, y, z and w of v by 1/sqrt(q) unless q is near one (copy) or tiny (zero).
inline __m128 scaleByRsqrtOrKeep(__m128 v, float q) {
  if (nearOne(q)) return v;
  if (tinySquare(q)) return _mm_setzero_ps();
  __m128 s = _mm_sqrt_ss(_mm_set_ss(q));
  __m128 k = _mm_div_ss(_mm_set_ss(1.0f), s);
  return _mm_mul_ps(v, _mm_shuffle_ps(k, k, 0));
}

inline __m128 maskXyz() {
  return _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
}

template <class P>
inline D3DXPLANE* planeNormalize(D3DXPLANE* out, const D3DXPLANE* pP) {
  __m128 p = load4(floats(pP));
  __m128 n = _mm_and_ps(p, maskXyz());
  store4(floats(out), scaleByRsqrtOrKeep(p, hsum(_mm_mul_ps(n, n))));
  return out;
}

template <class P>
inline D3DXPLANE* planeFromPoints(D3DXPLANE* out, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                                  const D3DXVECTOR3* pV3) {
  __m128 v1 = load3(floats(pV1));
  __m128 n = cross3<P>(_mm_sub_ps(v1, load3(floats(pV2))), _mm_sub_ps(v1, load3(floats(pV3))));
  alignas(16) float c[4];
  _mm_store_ps(c, n);
  D3DXVECTOR3 normal(c[0], c[1], c[2]);
  D3DXVec3Normalize(&normal, &normal);
  __m128 nn = load3(floats(&normal));
  __m128 d = _mm_mul_ps(nn, v1);
  float dist =
      -(_mm_cvtss_f32(d) + _mm_cvtss_f32(P::template splat<1>(d)) + _mm_cvtss_f32(P::template splat<2>(d)));
  store4(floats(out), _mm_movelh_ps(nn, _mm_unpacklo_ps(P::template splat<2>(nn), _mm_set_ss(dist))));
  return out;
}

template <class P>
inline D3DXMATRIX* matrixShadow(D3DXMATRIX* out, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane) {
  D3DXPLANE plane;
  D3DXPlaneNormalize(&plane, pPlane);
  __m128 p = load4(floats(&plane)), l = load4(floats(pLight));
  __m128 d = _mm_set1_ps(hsum(_mm_mul_ps(p, l)));
  const __m128 zero = _mm_setzero_ps();
  float* po = floats(out);
  store4(po, _mm_sub_ps(_mm_move_ss(zero, d), _mm_mul_ps(P::template splat<0>(p), l)));
  store4(po + 4, _mm_sub_ps(_mm_shuffle_ps(_mm_unpacklo_ps(zero, d), zero, _MM_SHUFFLE(0, 0, 1, 0)),
                            _mm_mul_ps(P::template splat<1>(p), l)));
  store4(po + 8,
         _mm_sub_ps(_mm_movelh_ps(zero, _mm_move_ss(zero, d)), _mm_mul_ps(P::template splat<2>(p), l)));
  store4(po + 12,
         _mm_sub_ps(_mm_movelh_ps(zero, _mm_unpacklo_ps(zero, d)), _mm_mul_ps(P::template splat<3>(p), l)));
  return out;
}

template <class P>
inline D3DXMATRIX* matrixReflect(D3DXMATRIX* out, const D3DXPLANE* pPlane) {
  D3DXPLANE plane;
  D3DXPlaneNormalize(&plane, pPlane);
  __m128 p = load4(floats(&plane));
  __m128 n = _mm_and_ps(p, maskXyz());
  __m128 n2 = _mm_mul_ps(_mm_set1_ps(-2.0f), n);
  float* po = floats(out);
  store4(po, _mm_add_ps(_mm_set_ps(0, 0, 0, 1), _mm_mul_ps(P::template splat<0>(n2), n)));
  store4(po + 4, _mm_add_ps(_mm_set_ps(0, 0, 1, 0), _mm_mul_ps(P::template splat<1>(n2), n)));
  store4(po + 8, _mm_add_ps(_mm_set_ps(0, 1, 0, 0), _mm_mul_ps(P::template splat<2>(n2), n)));
  store4(po + 12, _mm_add_ps(_mm_set_ps(1, 0, 0, 0), _mm_mul_ps(P::template splat<3>(p), n2)));
  return out;
}

template <class P>
inline D3DXQUATERNION* quaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch,
                                                      float roll) {
  float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
  float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
  float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
  __m128 a = _mm_mul_ps(_mm_mul_ps(_mm_set_ps(cy, cy, sy, cy), _mm_set_ps(cp, cp, cp, sp)),
                        _mm_set_ps(cr, sr, cr, cr));
  __m128 b = _mm_mul_ps(_mm_mul_ps(_mm_set_ps(sy, sy, cy, sy), _mm_set_ps(sp, sp, sp, cp)),
                        _mm_set_ps(sr, cr, sr, sr));
  store4(floats(out), _mm_add_ps(a, _mm_xor_ps(b, signMask(0.0f, -0.0f, -0.0f, 0.0f))));
  return out;
}

// The trace branch in vector form; the other branches choose their lead component first.
template <class P>
inline D3DXQUATERNION* quaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* pM) {
  const D3DXMATRIX& m = *pM;
  float trace = m._11 + m._22 + m._33;
  __m128 r;
  if (trace > 0.0f) {
    float w = _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(trace + 1.0f))) * 0.5f;
    __m128 d = _mm_sub_ps(_mm_set_ps(0, m._12, m._31, m._23), _mm_set_ps(0, m._21, m._13, m._32));
    r = _mm_mul_ps(d, _mm_set1_ps(0.25f / w));
    r = _mm_or_ps(_mm_and_ps(r, maskXyz()), _mm_set_ps(w, 0, 0, 0));
  } else if (m._11 >= m._22 && m._11 >= m._33) {
    float x = _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(1.0f + m._11 - m._22 - m._33))) * 0.5f;
    __m128 d = _mm_add_ps(_mm_set_ps(m._23, m._13, m._12, 0), _mm_set_ps(-m._32, m._31, m._21, 0));
    r = _mm_mul_ps(d, _mm_set1_ps(0.25f / x));
    r = _mm_move_ss(r, _mm_set_ss(x));
  } else if (m._22 >= m._33) {
    float y = _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(1.0f + m._22 - m._11 - m._33))) * 0.5f;
    __m128 d = _mm_add_ps(_mm_set_ps(m._31, m._23, 0, m._12), _mm_set_ps(-m._13, m._32, 0, m._21));
    r = _mm_mul_ps(d, _mm_set1_ps(0.25f / y));
    r = _mm_or_ps(_mm_and_ps(r, _mm_castsi128_ps(_mm_set_epi32(-1, -1, 0, -1))), _mm_set_ps(0, 0, y, 0));
  } else {
    float z = _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(1.0f + m._33 - m._11 - m._22))) * 0.5f;
    __m128 d = _mm_add_ps(_mm_set_ps(m._12, 0, m._23, m._13), _mm_set_ps(-m._21, 0, m._32, m._31));
    r = _mm_mul_ps(d, _mm_set1_ps(0.25f / z));
    r = _mm_or_ps(_mm_and_ps(r, _mm_castsi128_ps(_mm_set_epi32(-1, 0, -1, -1))), _mm_set_ps(0, z, 0, 0));
  }
  store4(floats(out), r);
  return out;
}

}  // namespace simd
}  // namespace zentu
