// The 3DNow! set (all 57 entries) and the extended-3DNow! set (entries 15, 18, 24, 38, 39). No
// processor this library runs on executes 3DNow! instructions, so both sets run the portable code;
// they stay distinct entries so that the choice between sets is observable and tested.
#include "d3dx/math/math_internal.h"

namespace zentu {

namespace threeDNow {
#define ZENTU_3DNOW_VARIANT(index, name, publicName, ret, params, args) \
  ret name params {                                                     \
    return base::name args;                                             \
  }
ZENTU_MATH_OPS(ZENTU_3DNOW_VARIANT)
#undef ZENTU_3DNOW_VARIANT
}  // namespace threeDNow

namespace threeDNowExtended {
D3DXVECTOR3* vec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                           const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
  return base::vec3Unproject(pOut, pV, pViewport, pProjection, pView, pWorld);
}
D3DXMATRIX* matrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
  return base::matrixInverse(pOut, pDeterminant, pM);
}
D3DXQUATERNION* quaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
  return base::quaternionRotationMatrix(pOut, pM);
}
D3DXMATRIX* matrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
  return base::matrixRotationQuaternion(pOut, pQ);
}
D3DXMATRIX* matrixTransformation(D3DXMATRIX* pOut, const D3DXVECTOR3* pScalingCenter,
                                 const D3DXQUATERNION* pScalingRotation, const D3DXVECTOR3* pScaling,
                                 const D3DXVECTOR3* pRotationCenter, const D3DXQUATERNION* pRotation,
                                 const D3DXVECTOR3* pTranslation) {
  return base::matrixTransformation(pOut, pScalingCenter, pScalingRotation, pScaling, pRotationCenter,
                                    pRotation, pTranslation);
}
}  // namespace threeDNowExtended

void apply3DNowSet(MathTable& table) {
#define ZENTU_3DNOW_ENTRY(index, name, publicName, ret, params, args) table.name = &threeDNow::name;
  ZENTU_MATH_OPS(ZENTU_3DNOW_ENTRY)
#undef ZENTU_3DNOW_ENTRY
}

void applyExtended3DNowSet(MathTable& table) {
  table.vec3Unproject = &threeDNowExtended::vec3Unproject;
  table.matrixInverse = &threeDNowExtended::matrixInverse;
  table.quaternionRotationMatrix = &threeDNowExtended::quaternionRotationMatrix;
  table.matrixRotationQuaternion = &threeDNowExtended::matrixRotationQuaternion;
  table.matrixTransformation = &threeDNowExtended::matrixTransformation;
}

}  // namespace zentu
