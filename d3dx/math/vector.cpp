// Portable vector operations: normalisation, transforms, splines, barycentric blends, the 4-D cross
// product, projection and unprojection. Each reads all of its input before writing its output.
#include <cmath>
#include <initializer_list>

#include "d3dx/math/math_internal.h"

namespace zentu {

float fastRsqrt(float q) {
  uint32_t bits = floatBits(q);
  const RsqrtSegment& seg = kRsqrtTable[(bits >> 15) & 511];
  float m = bitsFloat((bits & 0x00FFFFFFu) | 0x3F000000u);
  float scale = bitsFloat(((0xBEFFFFFFu - bits) >> 1) & 0xFF800000u);
  return (m * seg.slope + seg.intercept) * scale;
}

namespace base {

namespace {
// Hermite and Catmull-Rom weights for parameter s.
struct Weights {
  float w0, w1, w2, w3;
};
Weights hermiteWeights(float s) {
  float s2 = s * s, s3 = s2 * s;
  return {2 * s3 - 3 * s2 + 1, s3 - 2 * s2 + s, -2 * s3 + 3 * s2, s3 - s2};
}
Weights catmullRomWeights(float s) {
  float s2 = s * s, s3 = s2 * s;
  return {0.5f * (-s3 + 2 * s2 - s), 0.5f * (3 * s3 - 5 * s2 + 2), 0.5f * (-3 * s3 + 4 * s2 + s),
          0.5f * (s3 - s2)};
}

template <int N>
void blend4(float* out, const float* a, const float* b, const float* c, const float* d, const Weights& w) {
  float r[N];
  for (int i = 0; i < N; ++i) r[i] = w.w0 * a[i] + w.w1 * b[i] + w.w2 * c[i] + w.w3 * d[i];
  for (int i = 0; i < N; ++i) out[i] = r[i];
}
template <int N>
void barycentric(float* out, const float* a, const float* b, const float* c, float f, float g) {
  float r[N];
  for (int i = 0; i < N; ++i) r[i] = a[i] + f * (b[i] - a[i]) + g * (c[i] - a[i]);
  for (int i = 0; i < N; ++i) out[i] = r[i];
}
// Normalises N components: near one copies, tiny gives zero, else scales by 1/sqrt(q).
template <int N>
void normalize(float* out, const float* v) {
  float q = 0;
  for (int i = 0; i < N; ++i) q += v[i] * v[i];
  float r[N];
  if (nearOne(q)) {
    for (int i = 0; i < N; ++i) r[i] = v[i];
  } else if (tinySquare(q)) {
    for (int i = 0; i < N; ++i) r[i] = 0;
  } else {
    float k = 1.0f / std::sqrt(q);
    for (int i = 0; i < N; ++i) r[i] = v[i] * k;
  }
  for (int i = 0; i < N; ++i) out[i] = r[i];
}
// (v, 0..., 1) x M for an N-component v; returns all four components.
template <int N>
void transformPoint(float* r, const float* v, const D3DXMATRIX* m) {
  for (int j = 0; j < 4; ++j) {
    float s = m->m[3][j];
    for (int i = 0; i < N; ++i) s += v[i] * m->m[i][j];
    r[j] = s;
  }
}
}  // namespace

D3DXVECTOR2* vec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV) {
  normalize<2>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV));
  return pOut;
}

D3DXVECTOR4* vec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
  normalize<4>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV));
  return pOut;
}

D3DXVECTOR3* vec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  float x = pV->x, y = pV->y, z = pV->z;
  float q = x * x + y * y + z * z;
  // The table covers normal floats only: a subnormal square would come out as a wrong finite length,
  // so it counts as zero like an exact zero.
  if (q < kTinySquare) {
    pOut->x = pOut->y = pOut->z = 0.0f;
  } else if (std::fabs(q - 1.0f) <= kVec3NearOne) {
    *pOut = D3DXVECTOR3(x, y, z);
  } else {
    float k = fastRsqrt(q);
    *pOut = D3DXVECTOR3(k * x, k * y, k * z);
  }
  return pOut;
}

D3DXVECTOR4* vec2Transform(D3DXVECTOR4* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  float r[4];
  transformPoint<2>(r, reinterpret_cast<const float*>(pV), pM);
  *pOut = D3DXVECTOR4(r[0], r[1], r[2], r[3]);
  return pOut;
}

D3DXVECTOR2* vec2TransformCoord(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  float r[4];
  transformPoint<2>(r, reinterpret_cast<const float*>(pV), pM);
  if (!nearOne(r[3])) {
    float k = 1.0f / r[3];
    r[0] *= k, r[1] *= k;
  }
  *pOut = D3DXVECTOR2(r[0], r[1]);
  return pOut;
}

D3DXVECTOR2* vec2TransformNormal(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  float x = pV->x, y = pV->y;
  *pOut = D3DXVECTOR2(x * pM->_11 + y * pM->_21, x * pM->_12 + y * pM->_22);
  return pOut;
}

D3DXVECTOR4* vec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  float r[4];
  transformPoint<3>(r, reinterpret_cast<const float*>(pV), pM);
  *pOut = D3DXVECTOR4(r[0], r[1], r[2], r[3]);
  return pOut;
}

D3DXVECTOR3* vec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  float r[4];
  transformPoint<3>(r, reinterpret_cast<const float*>(pV), pM);
  if (!nearOne(r[3])) {
    float k = 1.0f / r[3];
    r[0] *= k, r[1] *= k, r[2] *= k;
  }
  *pOut = D3DXVECTOR3(r[0], r[1], r[2]);
  return pOut;
}

D3DXVECTOR3* vec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  float x = pV->x, y = pV->y, z = pV->z;
  *pOut = D3DXVECTOR3(x * pM->_11 + y * pM->_21 + z * pM->_31, x * pM->_12 + y * pM->_22 + z * pM->_32,
                      x * pM->_13 + y * pM->_23 + z * pM->_33);
  return pOut;
}

D3DXVECTOR4* vec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
  float v[4] = {pV->x, pV->y, pV->z, pV->w};
  float r[4];
  for (int j = 0; j < 4; ++j)
    r[j] = v[0] * pM->m[0][j] + v[1] * pM->m[1][j] + v[2] * pM->m[2][j] + v[3] * pM->m[3][j];
  *pOut = D3DXVECTOR4(r[0], r[1], r[2], r[3]);
  return pOut;
}

D3DXVECTOR4* vec4Cross(D3DXVECTOR4* pOut, const D3DXVECTOR4* pU, const D3DXVECTOR4* pV,
                       const D3DXVECTOR4* pW) {
  const D3DXVECTOR4 u = *pU, v = *pV, w = *pW;
  float a = v.x * w.y - v.y * w.x;
  float b = v.x * w.z - v.z * w.x;
  float c = v.x * w.w - v.w * w.x;
  float d = v.y * w.z - v.z * w.y;
  float e = v.y * w.w - v.w * w.y;
  float f = v.z * w.w - v.w * w.z;
  *pOut = D3DXVECTOR4(u.y * f - u.z * e + u.w * d, -(u.x * f - u.z * c + u.w * b),
                      u.x * e - u.y * c + u.w * a, -(u.x * d - u.y * b + u.z * a));
  return pOut;
}

D3DXVECTOR2* vec2Hermite(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pT1,
                         const D3DXVECTOR2* pV2, const D3DXVECTOR2* pT2, FLOAT s) {
  blend4<2>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV1),
            reinterpret_cast<const float*>(pT1), reinterpret_cast<const float*>(pV2),
            reinterpret_cast<const float*>(pT2), hermiteWeights(s));
  return pOut;
}
D3DXVECTOR3* vec3Hermite(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pT1,
                         const D3DXVECTOR3* pV2, const D3DXVECTOR3* pT2, FLOAT s) {
  blend4<3>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV1),
            reinterpret_cast<const float*>(pT1), reinterpret_cast<const float*>(pV2),
            reinterpret_cast<const float*>(pT2), hermiteWeights(s));
  return pOut;
}
D3DXVECTOR4* vec4Hermite(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pT1,
                         const D3DXVECTOR4* pV2, const D3DXVECTOR4* pT2, FLOAT s) {
  blend4<4>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV1),
            reinterpret_cast<const float*>(pT1), reinterpret_cast<const float*>(pV2),
            reinterpret_cast<const float*>(pT2), hermiteWeights(s));
  return pOut;
}

D3DXVECTOR2* vec2CatmullRom(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV0, const D3DXVECTOR2* pV1,
                            const D3DXVECTOR2* pV2, const D3DXVECTOR2* pV3, FLOAT s) {
  blend4<2>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV0),
            reinterpret_cast<const float*>(pV1), reinterpret_cast<const float*>(pV2),
            reinterpret_cast<const float*>(pV3), catmullRomWeights(s));
  return pOut;
}
D3DXVECTOR3* vec3CatmullRom(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV0, const D3DXVECTOR3* pV1,
                            const D3DXVECTOR3* pV2, const D3DXVECTOR3* pV3, FLOAT s) {
  blend4<3>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV0),
            reinterpret_cast<const float*>(pV1), reinterpret_cast<const float*>(pV2),
            reinterpret_cast<const float*>(pV3), catmullRomWeights(s));
  return pOut;
}
D3DXVECTOR4* vec4CatmullRom(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV0, const D3DXVECTOR4* pV1,
                            const D3DXVECTOR4* pV2, const D3DXVECTOR4* pV3, FLOAT s) {
  blend4<4>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV0),
            reinterpret_cast<const float*>(pV1), reinterpret_cast<const float*>(pV2),
            reinterpret_cast<const float*>(pV3), catmullRomWeights(s));
  return pOut;
}

D3DXVECTOR2* vec2BaryCentric(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2,
                             const D3DXVECTOR2* pV3, FLOAT f, FLOAT g) {
  barycentric<2>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV1),
                 reinterpret_cast<const float*>(pV2), reinterpret_cast<const float*>(pV3), f, g);
  return pOut;
}
D3DXVECTOR3* vec3BaryCentric(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                             const D3DXVECTOR3* pV3, FLOAT f, FLOAT g) {
  barycentric<3>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV1),
                 reinterpret_cast<const float*>(pV2), reinterpret_cast<const float*>(pV3), f, g);
  return pOut;
}
D3DXVECTOR4* vec4BaryCentric(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                             const D3DXVECTOR4* pV3, FLOAT f, FLOAT g) {
  barycentric<4>(reinterpret_cast<float*>(pOut), reinterpret_cast<const float*>(pV1),
                 reinterpret_cast<const float*>(pV2), reinterpret_cast<const float*>(pV3), f, g);
  return pOut;
}

namespace {
// world x view x projection, skipping absent matrices (identity when all are absent).
D3DXMATRIX combined(const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
  D3DXMATRIX m;
  D3DXMatrixScaling(&m, 1, 1, 1);
  bool any = false;
  for (const D3DXMATRIX* part : {pWorld, pView, pProjection}) {
    if (part == nullptr) continue;
    if (any)
      D3DXMatrixMultiply(&m, &m, part);
    else
      m = *part;
    any = true;
  }
  return m;
}
}  // namespace

D3DXVECTOR3* vec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                         const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
  D3DXMATRIX m = combined(pProjection, pView, pWorld);
  D3DXVECTOR3 v;
  D3DXVec3TransformCoord(&v, pV, &m);
  if (pViewport != nullptr) {
    const D3DVIEWPORT8& vp = *pViewport;
    v.x = static_cast<float>(vp.X) + (1.0f + v.x) * static_cast<float>(vp.Width) * 0.5f;
    v.y = static_cast<float>(vp.Y) + (1.0f - v.y) * static_cast<float>(vp.Height) * 0.5f;
    v.z = vp.MinZ + v.z * (vp.MaxZ - vp.MinZ);
  }
  *pOut = v;
  return pOut;
}

D3DXVECTOR3* vec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                           const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
  D3DXMATRIX m = combined(pProjection, pView, pWorld);
  D3DXMATRIX inverse = m;  // a singular product leaves the combined matrix in place
  D3DXMatrixInverse(&inverse, nullptr, &m);
  D3DXVECTOR3 v = *pV;
  if (pViewport != nullptr) {
    const D3DVIEWPORT8& vp = *pViewport;
    v.x = 2.0f * (v.x - static_cast<float>(vp.X)) / static_cast<float>(vp.Width) - 1.0f;
    v.y = 1.0f - 2.0f * (v.y - static_cast<float>(vp.Y)) / static_cast<float>(vp.Height);
    v.z = (v.z - vp.MinZ) / (vp.MaxZ - vp.MinZ);
  }
  D3DXVec3TransformCoord(pOut, &v, &inverse);
  return pOut;
}

}  // namespace base
}  // namespace zentu
