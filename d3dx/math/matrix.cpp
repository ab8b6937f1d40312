// Portable 4 x 4 matrix operations: products, transpose, determinant and inverse (cofactors from 2 x 2
// minors), the builders for scaling, translation, rotations, transformations, shadow and reflection,
// and the left-handed perspective projection.
#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace base {

namespace {
void setIdentity(D3DXMATRIX* m) {
  for (int i = 0; i < 16; ++i) m->m[i / 4][i % 4] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// The adjugate (transposed cofactor matrix) of a, each 2 x 2 minor rounded to float.
void adjugate(const D3DXMATRIX& a, float adj[4][4]) {
  const float(&m)[4][4] = a.m;
  float s0 = m[0][0] * m[1][1] - m[0][1] * m[1][0];
  float s1 = m[0][0] * m[1][2] - m[0][2] * m[1][0];
  float s2 = m[0][0] * m[1][3] - m[0][3] * m[1][0];
  float s3 = m[0][1] * m[1][2] - m[0][2] * m[1][1];
  float s4 = m[0][1] * m[1][3] - m[0][3] * m[1][1];
  float s5 = m[0][2] * m[1][3] - m[0][3] * m[1][2];
  float c0 = m[2][0] * m[3][1] - m[2][1] * m[3][0];
  float c1 = m[2][0] * m[3][2] - m[2][2] * m[3][0];
  float c2 = m[2][0] * m[3][3] - m[2][3] * m[3][0];
  float c3 = m[2][1] * m[3][2] - m[2][2] * m[3][1];
  float c4 = m[2][1] * m[3][3] - m[2][3] * m[3][1];
  float c5 = m[2][2] * m[3][3] - m[2][3] * m[3][2];
  adj[0][0] = m[1][1] * c5 - m[1][2] * c4 + m[1][3] * c3;
  adj[0][1] = -(m[0][1] * c5 - m[0][2] * c4 + m[0][3] * c3);
  adj[0][2] = m[3][1] * s5 - m[3][2] * s4 + m[3][3] * s3;
  adj[0][3] = -(m[2][1] * s5 - m[2][2] * s4 + m[2][3] * s3);
  adj[1][0] = -(m[1][0] * c5 - m[1][2] * c2 + m[1][3] * c1);
  adj[1][1] = m[0][0] * c5 - m[0][2] * c2 + m[0][3] * c1;
  adj[1][2] = -(m[3][0] * s5 - m[3][2] * s2 + m[3][3] * s1);
  adj[1][3] = m[2][0] * s5 - m[2][2] * s2 + m[2][3] * s1;
  adj[2][0] = m[1][0] * c4 - m[1][1] * c2 + m[1][3] * c0;
  adj[2][1] = -(m[0][0] * c4 - m[0][1] * c2 + m[0][3] * c0);
  adj[2][2] = m[3][0] * s4 - m[3][1] * s2 + m[3][3] * s0;
  adj[2][3] = -(m[2][0] * s4 - m[2][1] * s2 + m[2][3] * s0);
  adj[3][0] = -(m[1][0] * c3 - m[1][1] * c1 + m[1][2] * c0);
  adj[3][1] = m[0][0] * c3 - m[0][1] * c1 + m[0][2] * c0;
  adj[3][2] = -(m[3][0] * s3 - m[3][1] * s1 + m[3][2] * s0);
  adj[3][3] = m[2][0] * s3 - m[2][1] * s1 + m[2][2] * s0;
}

// Expansion along the first column: the cofactors of column 0 are the adjugate's first row.
float firstColumnDeterminant(const D3DXMATRIX& a, const float adj[4][4]) {
  return a.m[0][0] * adj[0][0] + a.m[1][0] * adj[0][1] + a.m[2][0] * adj[0][2] + a.m[3][0] * adj[0][3];
}
}  // namespace

D3DXMATRIX* matrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] + pM1->m[i][2] * pM2->m[2][j] +
                  pM1->m[i][3] * pM2->m[3][j];
  *pOut = r;
  return pOut;
}

D3DXMATRIX* matrixMultiplyTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[j][i] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] + pM1->m[i][2] * pM2->m[2][j] +
                  pM1->m[i][3] * pM2->m[3][j];
  *pOut = r;
  return pOut;
}

D3DXMATRIX* matrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = pM->m[j][i];
  *pOut = r;
  return pOut;
}

FLOAT matrixDeterminant(const D3DXMATRIX* pM) {
  float adj[4][4];
  adjugate(*pM, adj);
  return firstColumnDeterminant(*pM, adj);
}

D3DXMATRIX* matrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
  float adj[4][4];
  adjugate(*pM, adj);
  float det = firstColumnDeterminant(*pM, adj);
  if (pDeterminant != nullptr) *pDeterminant = det;
  float r = 1.0f / det;
  // An infinite determinant gives r = 0, which would hand out a zero "inverse": refuse it as well.
  if (!std::isfinite(r) || !std::isfinite(det)) return nullptr;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) pOut->m[i][j] = adj[i][j] * r;
  return pOut;
}

D3DXMATRIX* matrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz) {
  setIdentity(pOut);
  pOut->_11 = sx, pOut->_22 = sy, pOut->_33 = sz;
  return pOut;
}

D3DXMATRIX* matrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z) {
  setIdentity(pOut);
  pOut->_41 = x, pOut->_42 = y, pOut->_43 = z;
  return pOut;
}

D3DXMATRIX* matrixRotationX(D3DXMATRIX* pOut, FLOAT angle) {
  float s = std::sin(angle), c = std::cos(angle);
  setIdentity(pOut);
  pOut->_22 = c, pOut->_23 = s;
  pOut->_32 = -s, pOut->_33 = c;
  return pOut;
}

D3DXMATRIX* matrixRotationY(D3DXMATRIX* pOut, FLOAT angle) {
  float s = std::sin(angle), c = std::cos(angle);
  setIdentity(pOut);
  pOut->_11 = c, pOut->_13 = -s;
  pOut->_31 = s, pOut->_33 = c;
  return pOut;
}

D3DXMATRIX* matrixRotationZ(D3DXMATRIX* pOut, FLOAT angle) {
  float s = std::sin(angle), c = std::cos(angle);
  setIdentity(pOut);
  pOut->_11 = c, pOut->_12 = s;
  pOut->_21 = -s, pOut->_22 = c;
  return pOut;
}

D3DXMATRIX* matrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, FLOAT angle) {
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, pV);
  float s = std::sin(angle), c = std::cos(angle), t = 1.0f - c;
  float x = v.x, y = v.y, z = v.z;
  setIdentity(pOut);
  pOut->_11 = t * x * x + c, pOut->_12 = t * x * y + s * z, pOut->_13 = t * x * z - s * y;
  pOut->_21 = t * x * y - s * z, pOut->_22 = t * y * y + c, pOut->_23 = t * y * z + s * x;
  pOut->_31 = t * x * z + s * y, pOut->_32 = t * y * z - s * x, pOut->_33 = t * z * z + c;
  return pOut;
}

D3DXMATRIX* matrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
  float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
  setIdentity(pOut);
  pOut->_11 = 1 - 2 * y * y - 2 * z * z, pOut->_12 = 2 * x * y + 2 * z * w, pOut->_13 = 2 * x * z - 2 * y * w;
  pOut->_21 = 2 * x * y - 2 * z * w, pOut->_22 = 1 - 2 * x * x - 2 * z * z, pOut->_23 = 2 * y * z + 2 * x * w;
  pOut->_31 = 2 * x * z + 2 * y * w, pOut->_32 = 2 * y * z - 2 * x * w, pOut->_33 = 1 - 2 * x * x - 2 * y * y;
  return pOut;
}

D3DXMATRIX* matrixRotationYawPitchRoll(D3DXMATRIX* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll) {
  D3DXQUATERNION q;
  D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
  return D3DXMatrixRotationQuaternion(pOut, &q);
}

namespace {
void addToTranslation(D3DXMATRIX* m, float x, float y, float z) {
  m->_41 += x, m->_42 += y, m->_43 += z;
}
}  // namespace

D3DXMATRIX* matrixTransformation(D3DXMATRIX* pOut, const D3DXVECTOR3* pScalingCenter,
                                 const D3DXQUATERNION* pScalingRotation, const D3DXVECTOR3* pScaling,
                                 const D3DXVECTOR3* pRotationCenter, const D3DXQUATERNION* pRotation,
                                 const D3DXVECTOR3* pTranslation) {
  D3DXMATRIX m;
  setIdentity(&m);
  if (pScaling != nullptr) {
    // Move the scaling centre to the origin, turn into the scaling frame, scale, turn back, move back.
    if (pScalingCenter != nullptr)
      addToTranslation(&m, -pScalingCenter->x, -pScalingCenter->y, -pScalingCenter->z);
    D3DXMATRIX frame, frameInverse, scale;
    if (pScalingRotation != nullptr) {
      D3DXMatrixRotationQuaternion(&frame, pScalingRotation);
      D3DXMatrixTranspose(&frameInverse, &frame);
      D3DXMatrixMultiply(&m, &m, &frameInverse);
    }
    D3DXMatrixScaling(&scale, pScaling->x, pScaling->y, pScaling->z);
    D3DXMatrixMultiply(&m, &m, &scale);
    if (pScalingRotation != nullptr) D3DXMatrixMultiply(&m, &m, &frame);
    if (pScalingCenter != nullptr)
      addToTranslation(&m, pScalingCenter->x, pScalingCenter->y, pScalingCenter->z);
  }
  if (pRotation != nullptr) {
    if (pRotationCenter != nullptr)
      addToTranslation(&m, -pRotationCenter->x, -pRotationCenter->y, -pRotationCenter->z);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, pRotation);
    D3DXMatrixMultiply(&m, &m, &rotation);
    if (pRotationCenter != nullptr)
      addToTranslation(&m, pRotationCenter->x, pRotationCenter->y, pRotationCenter->z);
  }
  if (pTranslation != nullptr) addToTranslation(&m, pTranslation->x, pTranslation->y, pTranslation->z);
  *pOut = m;
  return pOut;
}

D3DXMATRIX* matrixAffineTransformation(D3DXMATRIX* pOut, FLOAT scaling, const D3DXVECTOR3* pRotationCenter,
                                       const D3DXQUATERNION* pRotation, const D3DXVECTOR3* pTranslation) {
  D3DXMATRIX m;
  D3DXMatrixScaling(&m, scaling, scaling, scaling);
  if (pRotation != nullptr) {
    if (pRotationCenter != nullptr)
      addToTranslation(&m, -pRotationCenter->x, -pRotationCenter->y, -pRotationCenter->z);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, pRotation);
    D3DXMatrixMultiply(&m, &m, &rotation);
    if (pRotationCenter != nullptr)
      addToTranslation(&m, pRotationCenter->x, pRotationCenter->y, pRotationCenter->z);
  }
  if (pTranslation != nullptr) addToTranslation(&m, pTranslation->x, pTranslation->y, pTranslation->z);
  *pOut = m;
  return pOut;
}

D3DXMATRIX* matrixShadow(D3DXMATRIX* pOut, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane) {
  D3DXPLANE p;
  D3DXPlaneNormalize(&p, pPlane);
  const float l[4] = {pLight->x, pLight->y, pLight->z, pLight->w};
  const float n[4] = {p.a, p.b, p.c, p.d};
  float d = n[0] * l[0] + n[1] * l[1] + n[2] * l[2] + n[3] * l[3];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) pOut->m[i][j] = (i == j ? d : 0.0f) - n[i] * l[j];
  return pOut;
}

D3DXMATRIX* matrixReflect(D3DXMATRIX* pOut, const D3DXPLANE* pPlane) {
  D3DXPLANE p;
  D3DXPlaneNormalize(&p, pPlane);
  const float n[3] = {p.a, p.b, p.c};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) pOut->m[i][j] = (i == j ? 1.0f : 0.0f) - 2.0f * n[i] * n[j];
    pOut->m[i][3] = 0.0f;
    pOut->m[3][i] = -2.0f * p.d * n[i];
  }
  pOut->_44 = 1.0f;
  return pOut;
}

}  // namespace base
}  // namespace zentu

// Not dispatched: a plain function.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovY, FLOAT aspect, FLOAT zn, FLOAT zf) {
  float h = fovY * 0.5f;
  float s = std::sin(h), c = std::cos(h);
  float k = c / s;
  for (int i = 0; i < 16; ++i) pOut->m[i / 4][i % 4] = 0.0f;
  pOut->_11 = k / aspect;
  pOut->_22 = k;
  pOut->_33 = zf / (zf - zn);
  pOut->_34 = 1.0f;
  pOut->_43 = -zn * zf / (zf - zn);
  return pOut;
}
