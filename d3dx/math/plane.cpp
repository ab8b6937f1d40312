// Portable plane operations: normalisation, construction from a point and normal or three points, line
// intersection and transformation by a matrix.
#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace base {

D3DXPLANE* planeNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
  const D3DXPLANE p = *pP;
  float q = p.a * p.a + p.b * p.b + p.c * p.c;
  if (nearOne(q)) {
    *pOut = p;
  } else if (tinySquare(q)) {
    *pOut = D3DXPLANE(0, 0, 0, 0);
  } else {
    float k = 1.0f / std::sqrt(q);
    *pOut = D3DXPLANE(p.a * k, p.b * k, p.c * k, p.d * k);
  }
  return pOut;
}

D3DXPLANE* planeFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal) {
  const D3DXVECTOR3 p = *pPoint, n = *pNormal;
  *pOut = D3DXPLANE(n.x, n.y, n.z, -(n.x * p.x + n.y * p.y + n.z * p.z));
  return pOut;
}

D3DXPLANE* planeFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                           const D3DXVECTOR3* pV3) {
  const D3DXVECTOR3 v1 = *pV1;
  D3DXVECTOR3 e1 = v1 - *pV2, e2 = v1 - *pV3;
  D3DXVECTOR3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
  D3DXVec3Normalize(&n, &n);
  *pOut = D3DXPLANE(n.x, n.y, n.z, -(n.x * v1.x + n.y * v1.y + n.z * v1.z));
  return pOut;
}

D3DXVECTOR3* planeIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                const D3DXVECTOR3* pV2) {
  const D3DXPLANE p = *pP;
  const D3DXVECTOR3 v1 = *pV1, v2 = *pV2;
  float d1 = p.a * v1.x + p.b * v1.y + p.c * v1.z;
  float d2 = p.a * v2.x + p.b * v2.y + p.c * v2.z;
  float delta = d1 - d2;
  if (delta == 0.0f) return nullptr;
  float t = (d1 + p.d) / delta;
  if (!std::isfinite(t)) return nullptr;
  *pOut = D3DXVECTOR3(v1.x + t * (v2.x - v1.x), v1.y + t * (v2.y - v1.y), v1.z + t * (v2.z - v1.z));
  return pOut;
}

D3DXPLANE* planeTransform(D3DXPLANE* pOut, const D3DXPLANE* pP, const D3DXMATRIX* pM) {
  const D3DXPLANE p = *pP;
  float r[4];
  for (int j = 0; j < 4; ++j)
    r[j] = p.a * pM->m[0][j] + p.b * pM->m[1][j] + p.c * pM->m[2][j] + p.d * pM->m[3][j];
  *pOut = D3DXPLANE(r[0], r[1], r[2], r[3]);
  return pOut;
}

}  // namespace base
}  // namespace zentu
