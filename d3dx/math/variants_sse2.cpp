// The SSE2 set: the SSE variants of 16 entries and 18 of its own.
#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace sse2 {

#define ZENTU_PORTABLE_VARIANT(index, name, publicName, ret, params, args) \
  ret name params {                                                        \
    return base::name args;                                                \
  }
ZENTU_MATH_OPS(ZENTU_PORTABLE_VARIANT)
#undef ZENTU_PORTABLE_VARIANT

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
  t.vec3Normalize = &sse2::vec3Normalize;
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
