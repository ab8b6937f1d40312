// The SSE set: 33 entries. Built with ZENTU_NO_SIMD (or off x86) it runs the portable code, except
// that D3DXVec3Normalize keeps the variant's own rules so both builds behave alike.
#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace sse {

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
